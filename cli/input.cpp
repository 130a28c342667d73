#include "input.h"

#include "cleanup_on_signal.h"
#include "errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
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
    // Reading through the map spares copying every byte; a file that cannot be mapped (a
    // FIFO, a device, an empty file, a file system without it) is read.
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        const auto size = static_cast<std::size_t>(status.st_size);
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (map != MAP_FAILED) {
            map_ = static_cast<char*>(map);
            mapSize_ = size;
            ::madvise(map_, mapSize_, MADV_SEQUENTIAL);
            GuardMappedInput(map_, mapSize_, name_);
        }
    }
}

Input::~Input() {
    if (map_ != nullptr) {
        ForgetMappedInput();
        ::munmap(map_, mapSize_);
    }
    if (owned_) {
        ::close(fd_);
    }
}

std::optional<std::string_view> Input::mapped() const noexcept {
    if (map_ == nullptr) {
        return std::nullopt;
    }
    return std::string_view(map_, mapSize_);
}

void Input::release(std::size_t bytes) noexcept {
    // Whole pages only; the file's pages stay in the page cache, only this process's hold on
    // them goes, so that its memory does not grow with the file.
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t until = bytes / page * page;
    if (map_ != nullptr && until > released_) {
        ::madvise(map_ + released_, until - released_, MADV_DONTNEED);
        released_ = until;
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
