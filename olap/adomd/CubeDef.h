#pragma once

#include "olap/adomd/Dimension.h"
#include "olap/adomd/Hierarchy.h"
#include "olap/adomd/Level.h"
#include "olap/adomd/Member.h"
#include "olap/adomd/SchemaObjectType.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace olap {
class Connection;
}

namespace olap::adomd {

//! What GetSchemaObject finds: one of the four kinds of object.
using SchemaObject = std::variant<const Dimension*, const Hierarchy*, const Level*, const Member*>;

//! One cube of a catalog: its dimensions, hierarchies, levels and members, read from the
//! connection's schema rowsets the first time any of them is asked for and kept until the
//! catalog is refreshed. The measures are the members of the Measures dimension, calculated
//! measures included. A schema rowset that fails to load throws (OlapError, with the
//! provider's message) from the accessor that needed it, and the next call tries again.
class CubeDef {
public:
    CubeDef(std::shared_ptr<Connection> connection, std::string name, std::string caption);
    ~CubeDef();
    CubeDef(const CubeDef&) = delete;
    CubeDef& operator=(const CubeDef&) = delete;

    const std::string& Name() const { return m_name; }
    const std::string& Caption() const { return m_caption; }

    //! The dimensions in the provider's order (the Measures dimension first for local cubes).
    const std::vector<const Dimension*>& Dimensions() const;
    //! The dimension named NAME (any case), or null.
    const Dimension* FindDimension(std::string_view name) const;

    //! The object of kind TYPE whose unique name is UNIQUENAME (compared without regard to
    //! case, as the servers compare them). Throws OlapError when there is none.
    SchemaObject GetSchemaObject(SchemaObjectType type, std::string_view uniqueName) const;
    //! The same lookups, returning null when there is no such object.
    const Dimension* FindDimensionByUniqueName(std::string_view uniqueName) const;
    const Level* FindLevel(std::string_view uniqueName) const;
    const Member* FindMember(std::string_view uniqueName) const;

private:
    struct Structure;
    const Structure& Load() const;

    std::shared_ptr<Connection> m_connection;
    std::string m_name;
    std::string m_caption;
    mutable std::unique_ptr<Structure> m_structure;
};

} // namespace olap::adomd
