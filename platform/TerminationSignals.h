#pragma once

#include <functional>

namespace platform {

//! Runs handler in the event loop when the process receives SIGTERM, SIGINT
//! or SIGHUP (a session ending, Ctrl+C), so a program closes as the user
//! would close it. The handler runs in whatever event loop is running, a
//! modal box's nested loop included. A second termination signal, arriving
//! while the program still runs after the first, ends the process at once
//! (from the signal handler itself, so even a blocked event loop cannot keep
//! it alive). Needs a running QCoreApplication.
void InstallTerminationHandler(std::function<void()> handler);

//! Ends the process as the received termination signal would have without a
//! handler (so the parent sees "killed by SIGTERM"); for a handler that has
//! nothing to save, e.g. during start-up. Does not return.
[[noreturn]] void EndForTerminationSignal();

} // namespace platform
