#pragma once

#include "streams.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvani::cli {

// UTF-8 output to standard output, or to a file that is replaced only on commit(): until then
// the text goes to a temporary file beside it, which is removed if the conversion fails.
class Output : public ByteSink {
public:
    explicit Output(std::optional<std::string> path);
    ~Output() override;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(std::string_view bytes) override;
    // For a file: puts it in place.
    void commit();

private:
    std::optional<std::string> path_;
    std::string tempPath_;
    std::string name_; // how messages name the output
    int fd_ = 1;
};

} // namespace orvani::cli
