#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_received = 0;

// Only async-signal-safe calls here.
[[noreturn]] void EndNow(int signal)
{
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    ::_exit(128 + signal);
}

void OnSignal(int signal)
{
    if (g_received != 0)
        EndNow(signal);
    g_received = signal;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

void InstallTerminationHandler(std::function<void()> handler)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler = std::move(handler)] {
        char buffer[16];
        while (::read(g_pipe[0], buffer, sizeof buffer) > 0) { }
        handler();
    });
    struct sigaction action { };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void EndForTerminationSignal()
{
    EndNow(g_received != 0 ? static_cast<int>(g_received) : SIGTERM);
}

} // namespace platform
