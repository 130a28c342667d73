#include "folder_conversion.h"

#include "progress_bar.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace orvani::cli {
namespace {

constexpr int kFailure = 1;

// The last part of `path`, without the slashes that may end it; empty for "/" and the like.
std::string FileNameOf(std::string path) {
    while (path.size() > 1 && path.ends_with('/')) {
        path.pop_back();
    }
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name == "." || name == ".." ? std::string() : name;
}

std::uint64_t SizeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)
               ? static_cast<std::uint64_t>(status.st_size)
               : 0;
}

// Makes the folder where it is missing; the reason it cannot be had, if any.
std::optional<std::string> MakeFolder(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) == 0) {
        return S_ISDIR(status.st_mode) ? std::nullopt
                                       : std::optional<std::string>(std::strerror(ENOTDIR));
    }
    if (errno != ENOENT || ::mkdir(folder.c_str(), 0777) != 0) {
        return std::strerror(errno);
    }
    return std::nullopt;
}

} // namespace

int ConvertEachIntoFolder(const ConvertRequest& request,
                          const std::function<int(const ConvertRequest&)>& convertOne,
                          const std::function<void(const std::string&)>& tell) {
    const std::string& folder = *request.outputDir;
    if (const auto fault = MakeFolder(folder)) {
        tell(folder + ": " + *fault);
        return kFailure;
    }
    std::vector<std::uint64_t> sizes;
    for (const std::string& input : request.inputs) {
        sizes.push_back(SizeOf(input));
    }
    std::uint64_t bytes = 0;
    for (const std::uint64_t size : sizes) {
        bytes += size;
    }
    ProgressBar progress(request.inputs.size(), bytes);
    std::map<std::string, std::string> writtenFrom; // by file name: two inputs may share one
    bool allConverted = true;
    for (std::size_t i = 0; i < request.inputs.size(); ++i) {
        const std::string& input = request.inputs[i];
        const std::string name = FileNameOf(input);
        const std::string target = folder + (folder.ends_with('/') ? "" : "/") + name;
        progress.clear();
        int status = kFailure;
        if (name.empty()) {
            tell(input + ": names no file to write in " + folder);
        } else if (const auto [first, fresh] = writtenFrom.emplace(name, input); !fresh) {
            tell(input + ": not written, for " + target + " is written from " + first->second);
        } else {
            ConvertRequest one = request;
            one.inputs = {input};
            one.output = target;
            one.outputDir.reset();
            status = convertOne(one);
            if (status == 0 && request.verbose) {
                tell(input + " -> " + target);
            }
        }
        allConverted = allConverted && status == 0;
        progress.advance(sizes[i]);
    }
    return allConverted ? 0 : kFailure;
}

} // namespace orvani::cli
