#include "olap/EngineVersion.h"

namespace olap {

const char* EngineVersion()
{
    return "2.60";
}

} // namespace olap
