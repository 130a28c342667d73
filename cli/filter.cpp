#include "filter.h"

#include "errors.h"
#include "output.h"
#include "worker.h"

#include <orvani/pipeline.h>

#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace orvani::cli {
namespace {

constexpr std::size_t kReadSize = std::size_t{1} << 20;
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

    // Reads until `size` bytes or the end of the input: a pipe hands over a little at a time,
    // and pieces too small are not worth cutting in two.
    std::size_t read(char* into, std::size_t size) {
        std::size_t total = 0;
        while (total < size) {
            const ssize_t got = ::read(fd_, into + total, size - total);
            if (got > 0) {
                total += static_cast<std::size_t>(got);
            } else if (got == 0) {
                break;
            } else if (errno != EINTR) {
                throw SystemError(name_, errno);
            }
        }
        return total;
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

// The two halves of a piece go to the two cores; a half smaller than this is not worth a thread.
constexpr std::size_t kHalfWorthAThread = std::size_t{1} << 16;
// How far past the middle to look for a place to cut.
constexpr std::size_t kCutSearch = std::size_t{1} << 12;

void ConvertInput(Input& input, const ConvertRequest& request, Output& output, Worker& worker) {
    const Converter fresh(request.from, request.to, DocumentType::Plain, request.options);
    Converter converter = fresh;
    // Room at the front for a sequence cut off by the previous read.
    const auto bytes = std::make_unique_for_overwrite<char[]>(kLongestSequence + kReadSize);
    // Room for both halves: the bound on the output grows linearly with the input.
    const std::size_t room =
        converter.maxUtf8Output(kLongestSequence + kReadSize) + converter.maxUtf8Output(0);
    const auto converted = std::make_unique_for_overwrite<char[]>(room);
    std::size_t held = 0;
    std::uint64_t offset = 0; // of bytes[0] in the input

    const auto fail = [&](std::size_t at) {
        output.write({converted.get(), converter.finishUtf8(converted.get())});
        throw InvalidUtf8(input.name(), offset + at);
    };
    for (;;) {
        const std::size_t got = input.read(bytes.get() + held, kReadSize);
        if (got == 0) {
            break;
        }
        const std::string_view text(bytes.get(), held + got);
        std::size_t read = 0;
        const std::size_t cut =
            text.size() >= 2 * kHalfWorthAThread
                ? FindIndependentCut(text, text.size() / 2, text.size() / 2 + kCutSearch)
                : std::string_view::npos;
        if (cut != std::string_view::npos) {
            // The second half with a fresh converter on the other core, meanwhile the first.
            Converter second = fresh;
            char* secondOut = converted.get() + converter.maxUtf8Output(cut);
            Converter::Utf8Step secondStep{};
            worker.post([&] { secondStep = second.feedUtf8(text.substr(cut), secondOut); });
            const Converter::Utf8Step first =
                converter.feedUtf8(text.substr(0, cut), converted.get());
            worker.wait();
            output.write({converted.get(), first.written});
            // The byte at the cut is ASCII: whatever stops the first half short is invalid.
            if (first.read < cut) {
                fail(first.read);
            }
            output.write({converted.get(), converter.finishUtf8(converted.get())});
            output.write({secondOut, secondStep.written});
            converter = second;
            read = cut + secondStep.read;
            if (secondStep.invalid) {
                fail(read);
            }
        } else {
            const Converter::Utf8Step step = converter.feedUtf8(text, converted.get());
            output.write({converted.get(), step.written});
            read = step.read;
            if (step.invalid) {
                fail(read);
            }
        }
        held = text.size() - read;
        std::copy(bytes.get() + read, bytes.get() + text.size(), bytes.get());
        offset += read;
    }
    output.write({converted.get(), converter.finishUtf8(converted.get())});
    if (held != 0) {
        throw InvalidUtf8(input.name(), offset);
    }
}

} // namespace

void RunFilter(const ConvertRequest& request, Output& output) {
    Worker worker;
    if (request.inputs.empty()) {
        Input input("-");
        ConvertInput(input, request, output, worker);
        return;
    }
    for (const std::string& path : request.inputs) {
        Input input(path);
        ConvertInput(input, request, output, worker);
    }
}

} // namespace orvani::cli
