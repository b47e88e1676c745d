#include "olap/adomd/CellSet.h"

#include "olap/access/Connection.h"
#include "olap/util/OlapError.h"

namespace olap::adomd {

void CellSet::Open(std::string_view source, const std::shared_ptr<Connection>& connection)
{
    if (IsOpen())
        throw OlapError("The cell set is already open");
    if (!connection)
        throw OlapError("The cell set has no active connection");
    QueryResult result = connection->ExecuteMdx(source);
    if (result.kind != QueryResult::Kind::CellSet)
        throw OlapError("A cell set is opened with a SELECT statement; DRILLTHROUGH rows are read as a recordset");
    m_source = std::string(source);
    m_result = std::move(result.cellSet);
}

const olap::CellSet& CellSet::Result() const
{
    if (!m_result)
        throw OlapError("The cell set is closed");
    return *m_result;
}

} // namespace olap::adomd
