#include "output.h"

#include "errors.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvani::cli {
namespace {

// The temporary file, for the signal handler to remove when the user interrupts the filter.
char g_tempPath[4096];

extern "C" void RemoveTempAndDie(int signalNumber) {
    if (g_tempPath[0] != '\0') {
        ::unlink(g_tempPath);
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void RemoveTempOnSignals(const std::string& path) {
    if (path.size() >= sizeof g_tempPath) {
        return;
    }
    std::memcpy(g_tempPath, path.c_str(), path.size() + 1);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signalNumber, RemoveTempAndDie);
    }
}

void ForgetTemp() {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signalNumber, SIG_DFL);
    }
    g_tempPath[0] = '\0';
}

// The mode a new file would get from open(2), or the mode of the file being replaced.
mode_t ModeFor(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void WriteAll(int fd, std::string_view bytes, const std::string& name) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EPIPE) {
                throw ReaderGone{};
            }
            throw SystemError(name, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace

Output::Output(std::optional<std::string> path) : path_(std::move(path)) {
    if (!path_) {
        name_ = "standard output";
        return;
    }
    name_ = *path_;
    const auto slash = path_->rfind('/');
    const std::string directory = slash == std::string::npos ? "" : path_->substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? *path_ : path_->substr(slash + 1);
    tempPath_ = directory + "." + base + ".XXXXXX";
    fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        tempPath_.clear();
        throw SystemError(name_, error);
    }
    RemoveTempOnSignals(tempPath_);
}

Output::~Output() {
    if (!tempPath_.empty()) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        ::unlink(tempPath_.c_str());
        ForgetTemp();
    }
}

void Output::write(std::string_view bytes) {
    WriteAll(fd_, bytes, name_);
}

void Output::commit() {
    if (tempPath_.empty()) {
        return;
    }
    if (::fchmod(fd_, ModeFor(*path_)) != 0 || ::fsync(fd_) != 0) {
        throw SystemError(name_, errno);
    }
    if (::close(fd_) != 0) {
        fd_ = -1;
        throw SystemError(name_, errno);
    }
    fd_ = -1;
    if (::rename(tempPath_.c_str(), path_->c_str()) != 0) {
        throw SystemError(name_, errno);
    }
    tempPath_.clear();
    ForgetTemp();
}

} // namespace orvani::cli
