#pragma once

#include "streams.h"

#include <string>

namespace orvani::cli {

// An input file, opened for as long as the object lives, or standard input for "-".
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

private:
    std::string name_;
    int fd_ = 0;
    bool owned_ = false;
    int deferredErrno_ = 0;
};

} // namespace orvani::cli
