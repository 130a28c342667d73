#include "output.h"

#include "cleanup_on_signal.h"
#include "errors.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace orvani::cli {
namespace {

constexpr int kMostLinksFollowed = 40; // as the kernel's own limit

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file that `path` names once every symbolic link in its last part is followed; a link
// to a missing file gives that file's path, to be created.
std::string FollowLinks(std::string path, const std::string& name) {
    for (int i = 0; i < kMostLinksFollowed; ++i) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            throw SystemError(name, errno);
        }
        target.resize(static_cast<std::size_t>(length));
        path = target.starts_with('/') ? target : DirectoryOf(path) + target;
    }
    throw SystemError(name, ELOOP);
}

mode_t NewFileMode() {
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

// The process has one standard output, whichever Output writes to it.
bool& EndsLine() noexcept {
    static bool endsLine = true;
    return endsLine;
}

} // namespace

bool StandardOutputEndsLine() noexcept {
    return EndsLine();
}

void StandardOutputLineEnded() noexcept {
    EndsLine() = true;
}

Output::Output(const std::optional<std::string>& path) {
    if (!path) {
        name_ = "standard output";
        return;
    }
    name_ = *path;
    struct stat status {};
    const bool exists = ::stat(path->c_str(), &status) == 0;
    if (!exists && errno != ENOENT) {
        throw SystemError(name_, errno);
    }
    if ((exists && S_ISDIR(status.st_mode)) || path->ends_with('/')) {
        throw SystemError(name_, EISDIR);
    }
    if (exists && !S_ISREG(status.st_mode)) {
        fd_ = ::open(path->c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) {
            throw SystemError(name_, errno);
        }
        ownsFd_ = true;
        return;
    }
    if (exists) {
        replaced_ = status;
    }
    target_ = FollowLinks(*path, name_);
    openTemporaryBeside(target_);
}

void Output::openTemporaryBeside(const std::string& target) {
    const std::string directory = DirectoryOf(target);
    std::string base = target.substr(directory.size());
    // ".NAME.XXXXXX" must still be a name the folder takes.
    const std::string folder = directory.empty() ? "." : directory;
    long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (longest <= 0) {
        longest = NAME_MAX;
    }
    constexpr std::size_t kAdded = std::char_traits<char>::length("..XXXXXX");
    if (base.size() + kAdded > static_cast<std::size_t>(longest)) {
        base.resize(static_cast<std::size_t>(longest) - kAdded);
    }
    tempPath_ = directory + "." + base + ".XXXXXX";
    fd_ = CreateRemovedOnSignal(tempPath_);
    if (fd_ < 0) {
        const int error = errno;
        tempPath_.clear();
        // The folder is what refused the file: name it.
        std::string shown = folder;
        if (shown.size() > 1 && shown.ends_with('/')) {
            shown.pop_back();
        }
        throw SystemError(shown, error);
    }
    ownsFd_ = true;
}

Output::~Output() {
    if (ownsFd_ && fd_ >= 0) {
        ::close(fd_);
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        ForgetRemovedOnSignal();
    }
}

void Output::write(std::string_view bytes) {
    WriteAll(fd_, bytes, name_);
    if (fd_ == STDOUT_FILENO && !ownsFd_ && !bytes.empty()) {
        EndsLine() = bytes.back() == '\n';
    }
}

void Output::commit() {
    if (tempPath_.empty()) {
        return;
    }
    mode_t mode = NewFileMode();
    if (replaced_) {
        // As "sed -i" does: keep the owner and group where the process may. A set-user-ID or
        // set-group-ID bit stays only where its owner or group did, or it would hand the
        // file's rights to whoever runs the filter.
        if (::fchown(fd_, replaced_->st_uid, replaced_->st_gid) != 0) {
            (void)::fchown(fd_, static_cast<uid_t>(-1), replaced_->st_gid);
        }
        struct stat now {};
        if (::fstat(fd_, &now) != 0) {
            throw SystemError(name_, errno);
        }
        mode = replaced_->st_mode & 07777;
        if (now.st_uid != replaced_->st_uid) {
            mode &= ~mode_t{S_ISUID | S_ISGID};
        }
        if (now.st_gid != replaced_->st_gid) {
            mode &= ~mode_t{S_ISGID};
        }
    }
    if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) {
        throw SystemError(name_, errno);
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) {
        throw SystemError(name_, errno);
    }
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        throw SystemError(name_, errno);
    }
    tempPath_.clear();
    ForgetRemovedOnSignal();
}

} // namespace orvani::cli
