#include "olap/model/Level.h"

#include "olap/util/NameUtil.h"

namespace olap {

int Level::PropertyIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < m_properties.size(); ++i) {
        if (EqualsNoCase(m_properties[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace olap
