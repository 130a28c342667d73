#include "cleanup_on_signal.h"

#include <algorithm>
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

// SIGABRT too: a fault that ends the filter leaves no temporary file behind either.
constexpr std::array kEndingSignals = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGUSR1,   SIGUSR2,
                                       SIGALRM, SIGPIPE, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF,
                                       SIGPOLL, SIGPWR,  SIGSYS,  SIGABRT};

// For the handlers, which may call only async-signal-safe functions.
char g_path[4096];
std::array<bool, NSIG> g_handled{};
const char* g_mapBegin = nullptr;
std::size_t g_mapSize = 0;
char g_mappedMessage[4096 + 128];
std::size_t g_mappedMessageSize = 0;

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

extern "C" void InputShrank(int signalNumber, siginfo_t* info, void*) {
    const char* address = static_cast<const char*>(info->si_addr);
    if (g_mapBegin != nullptr && address >= g_mapBegin && address < g_mapBegin + g_mapSize) {
        [[maybe_unused]] const ssize_t told = ::write(2, g_mappedMessage, g_mappedMessageSize);
        if (g_path[0] != '\0') {
            ::unlink(g_path);
        }
        ::_exit(1);
    }
    // Not the input's: the default action, as if there were no handler.
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

} // namespace

void GuardMappedInput(const void* begin, std::size_t size, const std::string& name) {
    const std::string message =
        "orvaniconv-cli: " + name + ": the file shrank while it was being read\n";
    g_mappedMessageSize = std::min(message.size(), sizeof g_mappedMessage);
    std::memcpy(g_mappedMessage, message.data(), g_mappedMessageSize);
    g_mapSize = size;
    g_mapBegin = static_cast<const char*>(begin);
    struct sigaction action {};
    action.sa_sigaction = InputShrank;
    action.sa_flags = SA_SIGINFO;
    sigfillset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, nullptr);
}

void ForgetMappedInput() {
    ::signal(SIGBUS, SIG_DFL);
    g_mapBegin = nullptr;
    g_mapSize = 0;
}

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
