#include "cleanup_on_signal.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace orvani::cli {
namespace {

constexpr std::array kEndingSignals = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM, SIGUSR1,
                                       SIGUSR2,   SIGALRM, SIGPIPE, SIGXCPU, SIGXFSZ,
                                       SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSYS};

// For the handler, which may call only async-signal-safe functions.
char g_path[4096];
std::array<bool, NSIG> g_handled{};

extern "C" void RemoveAndDie(int signalNumber) {
    if (g_path[0] != '\0') {
        ::unlink(g_path);
    }
    // SA_RESETHAND put the default action back: the signal, unblocked on return, ends the
    // process as it would have.
    ::raise(signalNumber);
}

sigset_t EndingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : kEndingSignals) {
        sigaddset(&set, signalNumber);
    }
    return set;
}

} // namespace

int CreateRemovedOnSignal(std::string& path) {
    if (path.size() >= sizeof g_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    // No signal may come between creating the file and recording it.
    const sigset_t ending = EndingSignals();
    sigset_t previous;
    ::sigprocmask(SIG_BLOCK, &ending, &previous);
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    const int error = errno;
    if (fd >= 0) {
        std::memcpy(g_path, path.c_str(), path.size() + 1);
        for (const int signalNumber : kEndingSignals) {
            struct sigaction current {};
            ::sigaction(signalNumber, nullptr, &current);
            if (current.sa_handler == SIG_IGN) {
                continue;
            }
            struct sigaction action {};
            action.sa_handler = RemoveAndDie;
            action.sa_flags = SA_RESETHAND;
            sigfillset(&action.sa_mask);
            ::sigaction(signalNumber, &action, nullptr);
            g_handled[static_cast<std::size_t>(signalNumber)] = true;
        }
    }
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return fd;
}

void ForgetRemovedOnSignal() {
    const sigset_t ending = EndingSignals();
    sigset_t previous;
    ::sigprocmask(SIG_BLOCK, &ending, &previous);
    for (const int signalNumber : kEndingSignals) {
        if (std::exchange(g_handled[static_cast<std::size_t>(signalNumber)], false)) {
            ::signal(signalNumber, SIG_DFL);
        }
    }
    g_path[0] = '\0';
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace orvani::cli
