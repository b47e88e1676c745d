#pragma once

// The fact columns are part of the cube model (olap/model/FactTable.h); this header stays for
// code that includes it from here.
#include "olap/model/FactTable.h"
