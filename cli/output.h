#pragma once

#include "streams.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace orvani::cli {

// Where the converted text goes: standard output, or the file OUTPUT of "-o OUTPUT".
//
// A regular file (or a new one) is replaced only on commit(): until then the text goes to a
// temporary file beside it, removed if the conversion fails or a signal ends the filter; the
// new file keeps the old one's mode, owner and group where it may. A symbolic link is followed
// and the file it names replaced, so the link stays. Anything else that exists (a device, a
// FIFO, a socket, a terminal) is written to straight, as "sort -o" does.
// Whether what the filter has written to standard output so far ends a line, or is nothing;
// so that a message on the same terminal can begin on a line of its own.
[[nodiscard]] bool StandardOutputEndsLine() noexcept;
// Tells that the line of standard output has been ended by other means (on the terminal).
void StandardOutputLineEnded() noexcept;

class Output : public ByteSink {
public:
    explicit Output(const std::optional<std::string>& path);
    ~Output() override;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(std::string_view bytes) override;
    // For a file that is replaced: puts it in place.
    void commit();

    // The open file that the text is written to, to refuse an input that is that file.
    [[nodiscard]] int descriptor() const noexcept { return fd_; }

private:
    void openTemporaryBeside(const std::string& target);

    std::string name_; // how messages name the output
    std::string target_;
    std::string tempPath_;
    std::optional<struct stat> replaced_; // the file that commit() replaces, if there is one
    int fd_ = 1;
    bool ownsFd_ = false;
};

} // namespace orvani::cli
