#pragma once

#include <functional>

namespace platform {

//! Runs handler in the event loop when the process receives SIGTERM, SIGINT
//! or SIGHUP (a session ending, Ctrl+C), so a program closes as the user
//! would close it. Needs a running QCoreApplication.
void InstallTerminationHandler(std::function<void()> handler);

} // namespace platform
