#include "office_conversion.h"

#include "errors.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace orvani::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kInstallHint =
    "converting .doc needs LibreOffice: apt-get install libreoffice-writer-nogui";

std::optional<fs::path> FindOffice() {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const fs::path candidate = fs::path(dirs.substr(0, colon)) / "soffice";
        if (!candidate.parent_path().empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
    }
    return std::nullopt;
}

// A folder of our own for one conversion, the profile LibreOffice makes included; removed
// with all it holds.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& name) {
        std::string pattern = (fs::temp_directory_path() / "orvaniconv-office-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw SystemError(name, errno);
        }
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] const fs::path& path() const noexcept { return path_; }

private:
    fs::path path_;
};

// A file URL for LibreOffice's -env:UserInstallation, each byte that is not plain escaped.
std::string FileUrl(const fs::path& path) {
    std::string url = "file://";
    for (const char c : path.string()) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '/' || c == '-' || c == '_' || c == '.') {
            url += c;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 15];
        }
    }
    return url;
}

void WriteFile(const fs::path& path, std::string_view bytes, const std::string& name) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
        throw FilterError(name, "cannot write a temporary copy for LibreOffice in " +
                                    path.parent_path().string());
    }
}

std::optional<std::string> ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return std::move(bytes).str();
}

// Runs LibreOffice in its own process group, so that what it starts can be stopped with it;
// its exit status, or nullopt where it ran out of time and was killed.
std::optional<int> RunOffice(const std::vector<std::string>& args, const fs::path& log,
                             const std::string& name) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        throw FilterError(name, std::string("cannot start LibreOffice: ") + std::strerror(failed));
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(kOfficeTimeLimitSeconds);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(-pid, SIGKILL); // whatever it left behind
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// `document`, written to a file named `file`, converted with LibreOffice's `filter` into a
// file ending `.extension`.
std::string Convert(std::string_view document, const std::string& file, const std::string& filter,
                    const std::string& extension, const std::string& name) {
    const auto office = FindOffice();
    if (!office) {
        throw FilterError(name, kInstallHint);
    }
    const TemporaryFolder folder(name);
    const fs::path input = folder.path() / file;
    WriteFile(input, document, name);
    const fs::path out = folder.path() / "out";
    const std::optional<int> status =
        RunOffice({office->string(), "-env:UserInstallation=" + FileUrl(folder.path() / "profile"),
                   "--headless", "--norestore", "--nolockcheck", "--convert-to", filter, "--outdir",
                   out.string(), input.string()},
                  folder.path() / "office.log", name);
    if (!status) {
        throw FilterError(name, "LibreOffice did not finish converting it within " +
                                    std::to_string(kOfficeTimeLimitSeconds) + " seconds");
    }
    const auto converted = ReadFile(out / (input.stem().string() + "." + extension));
    if (!converted || converted->empty()) {
        // LibreOffice exits 0 when it reads nothing it can convert: the status tells only
        // where it failed otherwise.
        const std::string how =
            *status == 0 ? "" : " (it exited with status " + std::to_string(*status) + ")";
        throw FilterError(name, "LibreOffice could not convert it to " + extension + how +
                                    ": is it a document that LibreOffice Writer reads?");
    }
    return *converted;
}

} // namespace

std::string OfficeToDocx(std::string_view document, const std::string& name) {
    // LibreOffice goes by the content; the extension only helps it choose.
    std::string extension = fs::path(name).extension().string();
    if (extension.empty() || extension.size() > 8) {
        extension = ".doc";
    }
    return Convert(document, "document" + extension, "docx:MS Word 2007 XML", "docx", name);
}

std::string DocxToDoc(std::string_view docx, const std::string& name) {
    return Convert(docx, "converted.docx", "doc:MS Word 97", "doc", name);
}

} // namespace orvani::cli
