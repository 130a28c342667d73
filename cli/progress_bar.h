#pragma once

#include <cstdint>
#include <string>

namespace orvani::cli {

// A bar on standard error for work that takes a while, drawn only where standard error is a
// terminal and the work is large: more than a few files, or a few hundred megabytes.
class ProgressBar {
public:
    ProgressBar(std::size_t files, std::uint64_t bytes);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // One more file done, of `bytes` bytes.
    void advance(std::uint64_t bytes);
    // Takes the bar off its line, so that a message can be written there; the next advance()
    // or draw() puts it back.
    void clear();
    void draw();

    static constexpr std::size_t kManyFiles = 8;
    static constexpr std::uint64_t kManyBytes = std::uint64_t{200} << 20;

private:
    bool shown_;
    bool drawn_ = false;
    std::size_t files_;
    std::uint64_t bytes_;
    std::size_t filesDone_ = 0;
    std::uint64_t bytesDone_ = 0;
};

} // namespace orvani::cli
