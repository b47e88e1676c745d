#pragma once

namespace olap {

//! Version text of the engine, as the tools print it.
const char* EngineVersion();

} // namespace olap
