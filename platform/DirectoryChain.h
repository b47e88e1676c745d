#pragma once

#include <QString>

namespace platform {

//! Creates the directory and its missing parents, '/' separated. The path
//! must fit a buffer of 260 characters (259 and the terminating zero); at
//! most 10 creation attempts are made, each missing level costing about two,
//! so about five missing levels are created in one call. Returns true when
//! the directory exists afterwards.
bool MakeDirectoryChain(const QString& path);

//! The attempt counter of the last MakeDirectoryChain call (for tests).
int LastDirectoryChainAttempts();

} // namespace platform
