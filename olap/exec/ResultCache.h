#pragma once

// The result cache belongs to the cube (olap/model/ResultCache.h); this header stays for code
// that includes it from here.
#include "olap/model/ResultCache.h"
