#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct zip;
struct zip_source;

namespace orvani::documents {

// A document packed as a zip archive (DOCX, ODT), read from memory. Parts are replaced whole;
// every other entry is copied into the new archive as it was stored, order and compression
// included (ODT's "mimetype" must stay first and stored).
class ZipDocument {
public:
    // The most that one part may hold once decompressed: far beyond any real document's
    // text, and small enough that a "zip bomb" cannot exhaust memory.
    static constexpr std::uint64_t kLargestPart = std::uint64_t{256} << 20;
    // The most that the parts read from one document may hold together, which a document of
    // many large parts would otherwise multiply.
    static constexpr std::uint64_t kLargestTotal = std::uint64_t{512} << 20;

    // Throws DocumentError where `bytes` is not a readable zip archive.
    explicit ZipDocument(std::string_view bytes);
    ZipDocument(const ZipDocument&) = delete;
    ZipDocument& operator=(const ZipDocument&) = delete;

    [[nodiscard]] bool has(const std::string& part) const;
    [[nodiscard]] std::vector<std::string> parts() const;
    // The part decompressed; throws DocumentError naming it where it is missing, corrupt or
    // larger than kLargestPart, or where all that was read comes to more than kLargestTotal.
    [[nodiscard]] std::string read(const std::string& part) const;
    // Throws DocumentError before any is read where the sizes that the archive gives `parts`
    // come to more than kLargestTotal; read() holds to it whatever they say.
    void expectToRead(const std::vector<std::string>& parts) const;
    void replace(const std::string& part, std::string content);
    // The whole archive with the replaced parts.
    [[nodiscard]] std::string save();

private:
    struct SourceFree {
        void operator()(zip_source* source) const noexcept;
    };
    struct ArchiveDiscard {
        void operator()(zip* archive) const noexcept;
    };

    // Our own reference to the source, which the archive holds one to as well; the archive
    // goes first.
    std::unique_ptr<zip_source, SourceFree> source_;
    std::unique_ptr<zip, ArchiveDiscard> archive_;
    std::map<std::string, std::string> replaced_;
    mutable std::uint64_t read_ = 0; // bytes decompressed so far
};

} // namespace orvani::documents
