#pragma once

namespace olap {

//! Version text of the program and its tools ("2.60"), as set by project(VERSION) in the top
//! CMakeLists.txt; the tools print it for --version.
const char* EngineVersion();

} // namespace olap
