#include "zip_document.h"

#include <orvani/documents.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <zip.h>

namespace orvani::documents {
namespace {

// An error that libzip may fill in, with a message of its own to free.
class Error {
public:
    Error() noexcept { zip_error_init(&error_); }
    ~Error() { zip_error_fini(&error_); }
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    zip_error_t* get() noexcept { return &error_; }

private:
    zip_error_t error_;
};

struct Free {
    void operator()(void* memory) const noexcept { std::free(memory); }
};

struct FileClose {
    void operator()(zip_file_t* file) const noexcept { zip_fclose(file); }
};

// An open source, closed again however reading it ends.
class OpenSource {
public:
    explicit OpenSource(zip_source_t* source) : source_(source) {
        if (zip_source_open(source) != 0) {
            throw DocumentError("", "cannot be written");
        }
    }
    ~OpenSource() { zip_source_close(source_); }
    OpenSource(const OpenSource&) = delete;
    OpenSource& operator=(const OpenSource&) = delete;

private:
    zip_source_t* source_;
};

[[noreturn]] void TooLarge(const std::string& part) {
    throw DocumentError(part, "larger than " + std::to_string(ZipDocument::kLargestPart >> 20) +
                                  " MiB once decompressed, the most a part may be");
}

[[noreturn]] void TooMuch() {
    throw DocumentError("", "its parts come to more than " +
                                std::to_string(ZipDocument::kLargestTotal >> 20) +
                                " MiB once decompressed, the most a document may hold");
}

} // namespace

void ZipDocument::SourceFree::operator()(zip_source* source) const noexcept {
    zip_source_free(source);
}

void ZipDocument::ArchiveDiscard::operator()(zip* archive) const noexcept {
    zip_discard(archive);
}

ZipDocument::ZipDocument(std::string_view bytes) {
    // libzip takes no bytes for an archive without entries, and would not free the buffer.
    if (bytes.empty()) {
        throw DocumentError("", "empty, not a zip archive");
    }
    Error error;
    // The source is the archive in memory; it is also where save() writes the new one. libzip
    // owns the buffer: writing back may keep parts of it in the new archive and free it later,
    // with free(), so it comes from malloc() and is not ours to free once handed over, even
    // where creating the source fails (libzip may have freed it by then).
    std::unique_ptr<void, Free> buffer(std::malloc(bytes.size()));
    if (!buffer) {
        throw std::bad_alloc();
    }
    std::memcpy(buffer.get(), bytes.data(), bytes.size());
    source_.reset(zip_source_buffer_create(buffer.release(), bytes.size(), 1, error.get()));
    if (source_) {
        // Where opening fails, the source is still ours, and goes with source_.
        archive_.reset(zip_open_from_source(source_.get(), ZIP_CHECKCONS, error.get()));
    }
    if (!archive_) {
        // libzip's own words for it are "File already exists".
        if (zip_error_code_zip(error.get()) == ZIP_ER_EXISTS) {
            throw DocumentError("", "not a readable zip archive: two of its entries have the "
                                    "same name, so which is the part cannot be told");
        }
        throw DocumentError("", "not a readable zip archive (" +
                                    std::string(zip_error_strerror(error.get())) + ")");
    }
    // The archive took the source's reference; this one keeps it for save() to read back.
    zip_source_keep(source_.get());
}

bool ZipDocument::has(const std::string& part) const {
    return zip_name_locate(archive_.get(), part.c_str(), 0) >= 0;
}

std::vector<std::string> ZipDocument::parts() const {
    std::vector<std::string> names;
    const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (const char* name = zip_get_name(archive_.get(), static_cast<zip_uint64_t>(i), 0)) {
            names.emplace_back(name);
        }
    }
    return names;
}

std::string ZipDocument::read(const std::string& part) const {
    if (const auto replaced = replaced_.find(part); replaced != replaced_.end()) {
        return replaced->second;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive_.get(), part.c_str(), 0, &stat) != 0) {
        throw DocumentError(part, "missing from the document");
    }
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > kLargestPart) {
        TooLarge(part);
    }
    const std::unique_ptr<zip_file_t, FileClose> file(zip_fopen(archive_.get(), part.c_str(), 0));
    if (!file) {
        throw DocumentError(part, std::string("cannot be read: ") +
                                      zip_error_strerror(zip_get_error(archive_.get())));
    }
    // The size in the directory may lie: read no more than the caps allow, whatever it says.
    std::string content;
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && read_ + stat.size <= kLargestTotal) {
        content.reserve(stat.size);
    }
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            throw DocumentError(
                part, "is corrupt (" +
                          std::string(zip_error_strerror(zip_file_get_error(file.get()))) + ")");
        }
        if (got == 0) {
            break;
        }
        if (content.size() + static_cast<std::size_t>(got) > kLargestPart) {
            TooLarge(part);
        }
        read_ += static_cast<std::uint64_t>(got);
        if (read_ > kLargestTotal) {
            TooMuch();
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return content;
}

void ZipDocument::expectToRead(const std::vector<std::string>& parts) const {
    std::uint64_t total = read_;
    for (const std::string& part : parts) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(archive_.get(), part.c_str(), 0, &stat) == 0 &&
            (stat.valid & ZIP_STAT_SIZE) != 0) {
            total += std::min<std::uint64_t>(stat.size, kLargestPart);
        }
    }
    if (total > kLargestTotal) {
        TooMuch();
    }
}

void ZipDocument::replace(const std::string& part, std::string content) {
    replaced_[part] = std::move(content);
}

std::string ZipDocument::save() {
    for (const auto& [part, content] : replaced_) {
        // The archive owns the data once it replaces the part with it.
        std::unique_ptr<zip_source, SourceFree> data(
            zip_source_buffer(archive_.get(), content.data(), content.size(), 0));
        const zip_int64_t index = zip_name_locate(archive_.get(), part.c_str(), 0);
        if (!data || index < 0 ||
            zip_file_replace(archive_.get(), static_cast<zip_uint64_t>(index), data.get(), 0) !=
                0) {
            throw DocumentError(part, std::string("cannot be replaced: ") +
                                          zip_error_strerror(zip_get_error(archive_.get())));
        }
        (void)data.release();
    }
    if (zip_close(archive_.get()) != 0) {
        throw DocumentError("", std::string("cannot be written: ") +
                                    zip_error_strerror(zip_get_error(archive_.get())));
    }
    (void)archive_.release(); // closing freed it
    // The buffer source now holds the new archive.
    std::string out;
    const OpenSource open(source_.get());
    char buffer[1 << 16];
    zip_int64_t got;
    while ((got = zip_source_read(source_.get(), buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(got));
    }
    if (got < 0) {
        throw DocumentError("", std::string("cannot be written: ") +
                                    zip_error_strerror(zip_source_error(source_.get())));
    }
    return out;
}

} // namespace orvani::documents
