#pragma once

#include "streams.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvani::cli {

// An input file, opened for as long as the object lives, or standard input for "-". A regular
// file is also mapped into memory, to be converted where it lies rather than copied: should it
// shrink while it is read, the filter reports so and stops (see GuardMappedInput()).
class Input : public ByteSource {
public:
    explicit Input(const std::string& path);
    ~Input() override;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // A failure after some bytes were read is reported by the next call, so that the text
    // read before it is converted and written first.
    std::size_t read(char* into, std::size_t size) override;
    [[nodiscard]] const std::string& name() const override { return name_; }
    [[nodiscard]] int descriptor() const noexcept { return fd_; }

    // The whole file in memory, where it is a file that could be mapped (not standard input).
    [[nodiscard]] std::optional<std::string_view> mapped() const noexcept;
    // Gives back the memory of the first `bytes` bytes of mapped(), which are done with.
    void release(std::size_t bytes) noexcept;

private:
    std::string name_;
    int fd_ = 0;
    bool owned_ = false;
    int deferredErrno_ = 0;
    char* map_ = nullptr;
    std::size_t mapSize_ = 0;
    std::size_t released_ = 0; // bytes of the map given back
};

} // namespace orvani::cli
