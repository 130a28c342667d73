#pragma once

// Builds small zip archives in memory for the document tests, with libzip.

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>
#include <zip.h>

namespace orvani::testing {

struct ZipEntry {
    std::string name;
    std::string content;
    bool stored = false; // without compression, as ODT's "mimetype" must be
};

inline std::string BuildZip(const std::vector<ZipEntry>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        throw std::runtime_error("cannot make a zip archive");
    }
    for (const ZipEntry& entry : entries) {
        zip_source_t* data =
            zip_source_buffer(archive, entry.content.data(), entry.content.size(), 0);
        const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), data, ZIP_FL_ENC_UTF_8);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    zip_close(archive);
    std::string bytes;
    zip_source_open(target);
    char buffer[4096];
    for (zip_int64_t got; (got = zip_source_read(target, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return bytes;
}

// The entries of an archive, by name, decompressed.
inline std::vector<std::pair<std::string, std::string>> ReadZip(const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (archive == nullptr) {
        throw std::runtime_error("not a zip archive");
    }
    std::vector<std::pair<std::string, std::string>> entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        std::string content;
        char buffer[4096];
        for (zip_int64_t got; (got = zip_fread(file, buffer, sizeof buffer)) > 0;) {
            content.append(buffer, static_cast<std::size_t>(got));
        }
        zip_fclose(file);
        entries.emplace_back(zip_get_name(archive, index, 0), std::move(content));
    }
    zip_discard(archive);
    zip_error_fini(&error);
    return entries;
}

} // namespace orvani::testing
