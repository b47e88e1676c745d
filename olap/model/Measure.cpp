#include "olap/model/Measure.h"

#include "olap/model/Member.h"

namespace olap {

const std::string& Measure::UniqueName() const
{
    return m_member->UniqueName();
}

} // namespace olap
