#include "olap/access/SchemaRowset.h"

#include "olap/util/NameUtil.h"

namespace olap {

std::string SchemaRowset::Value(const std::vector<std::string>& row, std::string_view column) const
{
    for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i) {
        if (EqualsNoCase(columns[i], column))
            return row[i];
    }
    return {};
}

} // namespace olap
