#pragma once

#include "olap/query/CellSet.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace olap {
class Connection;
}

namespace olap::adomd {

//! A cell set opened with an MDX SELECT on a connection to cubes.
class CellSet {
public:
    //! Runs SOURCE on CONNECTION and keeps its result. Throws with the provider's error text
    //! for a bad statement, OlapError for a closed or relational connection or a statement
    //! that is not a SELECT; the cell set then stays closed.
    void Open(std::string_view source, const std::shared_ptr<Connection>& connection);
    void Close() { m_result.reset(); }
    bool IsOpen() const { return m_result.has_value(); }
    const std::string& Source() const { return m_source; }
    //! The axes and cells; throws OlapError when the cell set is closed.
    const olap::CellSet& Result() const;

private:
    std::string m_source;
    std::optional<olap::CellSet> m_result;
};

} // namespace olap::adomd
