#include "olap/EngineVersion.h"

#include "olap/EngineVersionText.h"

namespace olap {

const char* EngineVersion()
{
    return LUMETRA_VERSION_TEXT;
}

} // namespace olap
