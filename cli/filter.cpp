#include "filter.h"

#include "errors.h"
#include "output.h"

#include <orvani/pipeline.h>

#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace orvani::cli {
namespace {

constexpr std::size_t kReadSize = std::size_t{1} << 18;
constexpr std::size_t kLongestSequence = 4;

// An open input: a file descriptor that is closed on every path, or standard input.
class Input {
public:
    explicit Input(const std::string& path) {
        if (path == "-") {
            name_ = "standard input";
            fd_ = 0;
            return;
        }
        name_ = path;
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            throw SystemError(name_, errno);
        }
        owned_ = true;
    }
    ~Input() {
        if (owned_) {
            ::close(fd_);
        }
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // Reads at most `size` bytes; 0 at the end of the input.
    std::size_t read(char* into, std::size_t size) {
        for (;;) {
            const ssize_t got = ::read(fd_, into, size);
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                throw SystemError(name_, errno);
            }
        }
    }

    const std::string& name() const { return name_; }

private:
    std::string name_;
    int fd_ = -1;
    bool owned_ = false;
};

FilterError InvalidUtf8(const std::string& name, std::uint64_t offset) {
    return FilterError(name, "invalid UTF-8 at byte " + std::to_string(offset));
}

void ConvertInput(Input& input, const ConvertRequest& request, Output& output) {
    Converter converter(request.from, request.to, DocumentType::Plain, request.options);
    // Room at the front for a sequence cut off by the previous read.
    const auto bytes = std::make_unique_for_overwrite<char[]>(kLongestSequence + kReadSize);
    const auto converted = std::make_unique_for_overwrite<char[]>(
        converter.maxUtf8Output(kLongestSequence + kReadSize));
    std::size_t held = 0;
    std::uint64_t offset = 0; // of bytes[0] in the input

    const auto finish = [&] {
        output.write({converted.get(), converter.finishUtf8(converted.get())});
    };
    for (;;) {
        const std::size_t got = input.read(bytes.get() + held, kReadSize);
        if (got == 0) {
            break;
        }
        const std::size_t available = held + got;
        const Converter::Utf8Step step =
            converter.feedUtf8({bytes.get(), available}, converted.get());
        output.write({converted.get(), step.written});
        if (step.invalid) {
            finish();
            throw InvalidUtf8(input.name(), offset + step.read);
        }
        held = available - step.read;
        std::copy(bytes.get() + step.read, bytes.get() + available, bytes.get());
        offset += step.read;
    }
    finish();
    if (held != 0) {
        throw InvalidUtf8(input.name(), offset);
    }
}

} // namespace

void RunFilter(const ConvertRequest& request, Output& output) {
    if (request.inputs.empty()) {
        Input input("-");
        ConvertInput(input, request, output);
        return;
    }
    for (const std::string& path : request.inputs) {
        Input input(path);
        ConvertInput(input, request, output);
    }
}

} // namespace orvani::cli
