#include "input.h"

#include "errors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace orvani::cli {

Input::Input(const std::string& path) {
    if (path == "-") {
        name_ = "standard input";
        return;
    }
    name_ = path;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        throw SystemReadError(name_, errno);
    }
    owned_ = true;
}

Input::~Input() {
    if (owned_) {
        ::close(fd_);
    }
}

// A pipe hands over a little at a time; reading on until the piece is full keeps pieces large
// enough to be worth cutting in two.
std::size_t Input::read(char* into, std::size_t size) {
    if (deferredErrno_ != 0) {
        throw SystemReadError(name_, deferredErrno_);
    }
    std::size_t total = 0;
    while (total < size) {
        const ssize_t got = ::read(fd_, into + total, size - total);
        if (got > 0) {
            total += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            if (total == 0) {
                throw SystemReadError(name_, errno);
            }
            deferredErrno_ = errno;
            break;
        }
    }
    return total;
}

} // namespace orvani::cli
