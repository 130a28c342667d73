#include "progress_bar.h"

#include <cstdio>
#include <unistd.h>

namespace orvani::cli {
namespace {

constexpr int kWidth = 30;

std::string Size(std::uint64_t bytes) {
    const auto value = static_cast<double>(bytes);
    char text[32];
    if (bytes < 1000000) {
        std::snprintf(text, sizeof text, "%.1f kB", value / 1e3);
    } else if (bytes < 1000000000) {
        std::snprintf(text, sizeof text, "%.1f MB", value / 1e6);
    } else {
        std::snprintf(text, sizeof text, "%.2f GB", value / 1e9);
    }
    return text;
}

} // namespace

ProgressBar::ProgressBar(std::size_t files, std::uint64_t bytes)
    : shown_(::isatty(2) == 1 && (files > kManyFiles || bytes > kManyBytes)), files_(files),
      bytes_(bytes) {
    draw();
}

ProgressBar::~ProgressBar() {
    clear();
}

void ProgressBar::advance(std::uint64_t bytes) {
    ++filesDone_;
    bytesDone_ += bytes;
    draw();
}

void ProgressBar::draw() {
    if (!shown_) {
        return;
    }
    // By bytes where there are any, so that one large file among small ones counts as it should.
    const double done = bytes_ != 0 ? static_cast<double>(bytesDone_) / static_cast<double>(bytes_)
                                    : static_cast<double>(filesDone_) / static_cast<double>(files_);
    const int filled = static_cast<int>(done * kWidth);
    std::string bar = "\r[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
                      std::to_string(filesDone_) + "/" + std::to_string(files_) + " files, " +
                      Size(bytesDone_) + " of " + Size(bytes_);
    std::fputs(bar.c_str(), stderr);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::clear() {
    if (!drawn_) {
        return;
    }
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

} // namespace orvani::cli
