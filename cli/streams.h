#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvani::cli {

// Where the filter reads a text from: a file, standard input, or memory in the tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads until `size` bytes or the end; 0 at the end. Throws FilterError when reading fails.
    virtual std::size_t read(char* into, std::size_t size) = 0;
    // How messages name it.
    [[nodiscard]] virtual const std::string& name() const = 0;
};

// Where the filter writes: standard output, a file, or memory in the tests.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Throws FilterError when writing fails.
    virtual void write(std::string_view bytes) = 0;
};

} // namespace orvani::cli
