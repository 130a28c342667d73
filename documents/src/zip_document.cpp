#include "zip_document.h"

#include <orvani/documents.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <zip.h>

namespace orvani::documents {
namespace {

std::string ZipReason(zip_error_t* error) {
    return zip_error_strerror(error);
}

} // namespace

ZipDocument::ZipDocument(std::string_view bytes) {
    zip_error_t error;
    zip_error_init(&error);
    // The source is the archive in memory; it is also where save() writes the new one. libzip
    // owns the buffer: writing back may keep parts of it in the new archive and free it later,
    // with free(), so it comes from malloc() and is not ours to free.
    void* buffer = std::malloc(std::max<std::size_t>(bytes.size(), 1));
    if (buffer == nullptr) {
        throw std::bad_alloc();
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    source_ = zip_source_buffer_create(buffer, bytes.size(), 1, &error);
    if (source_ == nullptr) {
        std::free(buffer);
    }
    if (source_ != nullptr) {
        archive_ = zip_open_from_source(source_, ZIP_CHECKCONS, &error);
        if (archive_ == nullptr) {
            zip_source_free(source_); // still the caller's where opening failed
            source_ = nullptr;
        }
    }
    if (archive_ == nullptr) {
        const std::string reason = ZipReason(&error);
        zip_error_fini(&error);
        throw DocumentError("", "not a readable zip archive (" + reason + ")");
    }
    // The archive owns the source now; this reference keeps it for save() to read back.
    zip_source_keep(source_);
    zip_error_fini(&error);
}

ZipDocument::~ZipDocument() {
    if (archive_ != nullptr) {
        zip_discard(archive_);
    }
    if (source_ != nullptr) {
        zip_source_free(source_);
    }
}

bool ZipDocument::has(const std::string& part) const {
    return zip_name_locate(archive_, part.c_str(), 0) >= 0;
}

std::vector<std::string> ZipDocument::parts() const {
    std::vector<std::string> names;
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(i), 0)) {
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
    if (zip_stat(archive_, part.c_str(), 0, &stat) != 0) {
        throw DocumentError(part, "missing from the document");
    }
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > kLargestPart) {
        throw DocumentError(part, "larger than " + std::to_string(kLargestPart >> 20) +
                                      " MiB once decompressed, the most a part may be");
    }
    zip_file_t* file = zip_fopen(archive_, part.c_str(), 0);
    if (file == nullptr) {
        throw DocumentError(part, std::string("cannot be read: ") +
                                      zip_error_strerror(zip_get_error(archive_)));
    }
    // The size in the directory may lie: read no more than the cap allows, whatever it says.
    std::string content;
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            const std::string reason = zip_error_strerror(zip_file_get_error(file));
            zip_fclose(file);
            throw DocumentError(part, "is corrupt (" + reason + ")");
        }
        if (got == 0) {
            break;
        }
        if (content.size() + static_cast<std::size_t>(got) > kLargestPart) {
            zip_fclose(file);
            throw DocumentError(part, "larger than " + std::to_string(kLargestPart >> 20) +
                                          " MiB once decompressed, the most a part may be");
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    zip_fclose(file);
    return content;
}

void ZipDocument::replace(const std::string& part, std::string content) {
    replaced_[part] = std::move(content);
}

std::string ZipDocument::save() {
    for (const auto& [part, content] : replaced_) {
        zip_source_t* data = zip_source_buffer(archive_, content.data(), content.size(), 0);
        const zip_int64_t index = zip_name_locate(archive_, part.c_str(), 0);
        if (data == nullptr || index < 0 ||
            zip_file_replace(archive_, static_cast<zip_uint64_t>(index), data, 0) != 0) {
            if (data != nullptr) {
                zip_source_free(data);
            }
            throw DocumentError(part, std::string("cannot be replaced: ") +
                                          zip_error_strerror(zip_get_error(archive_)));
        }
    }
    if (zip_close(archive_) != 0) {
        throw DocumentError("", std::string("cannot be written: ") +
                                    zip_error_strerror(zip_get_error(archive_)));
    }
    archive_ = nullptr;
    // The buffer source now holds the new archive.
    std::string out;
    if (zip_source_open(source_) != 0) {
        throw DocumentError("", "cannot be written");
    }
    char buffer[1 << 16];
    for (zip_int64_t got; (got = zip_source_read(source_, buffer, sizeof buffer)) > 0;) {
        out.append(buffer, static_cast<std::size_t>(got));
    }
    zip_source_close(source_);
    return out;
}

} // namespace orvani::documents
