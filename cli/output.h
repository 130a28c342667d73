#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvani::cli {

// UTF-8 output to standard output, or to a file that is replaced only on commit(): until then
// the text goes to a temporary file beside it, which is removed if the conversion fails.
class Output {
public:
    explicit Output(std::optional<std::string> path);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Encodes and buffers `text`; throws FilterError when writing fails.
    void write(std::u32string_view text);
    // Writes out what is buffered and, for a file, puts it in place.
    void commit();
    // Writes out what is buffered, so that the text before a failure is not lost.
    void flush();

private:
    std::optional<std::string> path_;
    std::string tempPath_;
    std::string name_; // how messages name the output
    int fd_ = 1;
    std::string buffer_;
};

} // namespace orvani::cli
