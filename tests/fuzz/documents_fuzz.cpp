// The documents layer on any bytes: an HTML page, a raw archive, or XML wrapped into a DOCX or
// an ODT (as a body's content or as a whole part). Either the conversion or a DocumentError,
// nothing else; and in a converted archive every XML part is well-formed, namespaces and all,
// where it was so before or where the conversion wrote it.

#include "fuzz_text.h"
#include "sample_documents.h"

#include <orvani/documents.h>

#include <expat.h>
#include <map>
#include <memory>
#include <optional>
#include <zip.h>

using namespace orvani;
using namespace orvani::fuzz;

namespace {

bool WellFormed(const std::string& xml) {
    const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
        XML_ParserCreateNS(nullptr, '\x01'), XML_ParserFree);
    return xml.size() < (1U << 30) &&
           XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE) ==
               XML_STATUS_OK;
}

bool IsXmlPart(const std::string& name) {
    return name.ends_with(".xml") || name.ends_with(".rels");
}

struct ArchiveDiscard {
    void operator()(zip_t* archive) const noexcept { zip_discard(archive); }
};
struct FileClose {
    void operator()(zip_file_t* file) const noexcept { zip_fclose(file); }
};

// The parts of an archive that libzip can read, by name; nothing where it cannot open it.
std::optional<std::map<std::string, std::string>> Parts(const std::string& archive) {
    zip_source_t* source = zip_source_buffer_create(archive.data(), archive.size(), 0, nullptr);
    if (source == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<zip_t, ArchiveDiscard> zip(
        zip_open_from_source(source, ZIP_RDONLY, nullptr));
    if (!zip) {
        zip_source_free(source);
        return std::nullopt;
    }
    std::map<std::string, std::string> parts;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip.get(), 0); ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(zip.get(), index, 0);
        const std::unique_ptr<zip_file_t, FileClose> file(zip_fopen_index(zip.get(), index, 0));
        if (name == nullptr || !file) {
            continue;
        }
        std::string content;
        char buffer[4096];
        zip_int64_t got = 0;
        while ((got = zip_fread(file.get(), buffer, sizeof buffer)) > 0) {
            content.append(buffer, static_cast<std::size_t>(got));
        }
        if (got == 0) {
            parts.emplace(name, std::move(content));
        }
    }
    return parts;
}

// An OpenDocument text whose content.xml is `xml`, whole.
std::string OdtWithContent(const std::string& xml) {
    return testing::BuildZip(
        {{"mimetype", "application/vnd.oasis.opendocument.text", true}, {"content.xml", xml}});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t kind = input.byte() % 6;
    DocumentSettings settings;
    const auto [source, target, options] = input.conversion();
    settings.from = source;
    settings.to = target;
    settings.options = options;
    const std::uint8_t flags = input.byte();
    settings.normalize = (flags & 1) != 0;
    settings.byFont = (flags & 2) != 0;
    const std::string rest(input.rest());

    DocumentFormat format = DocumentFormat::Html;
    std::string document;
    switch (kind) {
    case 0:
        document = rest;
        break;
    case 1:
        format = (flags & 4) != 0 ? DocumentFormat::Odt : DocumentFormat::Docx;
        document = rest;
        break;
    case 2:
        format = DocumentFormat::Docx;
        document = testing::MakeDocx(rest);
        break;
    case 3:
        format = DocumentFormat::Odt;
        document = testing::MakeOdt(rest);
        break;
    case 4:
        format = DocumentFormat::Docx;
        document = testing::BuildZip({{"word/document.xml", rest}});
        break;
    default:
        format = DocumentFormat::Odt;
        document = OdtWithContent(rest);
        break;
    }

    std::string converted;
    try {
        converted = ConvertDocument(document, format, settings);
    } catch (const DocumentError&) {
        return 0;
    } catch (...) {
        FUZZ_CHECK(false); // nothing but DocumentError may come out of the layer
    }
    if (format == DocumentFormat::Html) {
        return 0;
    }
    const auto before = Parts(document);
    const auto after = Parts(converted);
    FUZZ_CHECK(after.has_value());
    for (const auto& [name, content] : *after) {
        if (!IsXmlPart(name)) {
            continue;
        }
        const std::string* old = nullptr;
        if (before) {
            if (const auto found = before->find(name); found != before->end()) {
                old = &found->second;
            }
        }
        if (old == nullptr || *old != content || WellFormed(*old)) {
            FUZZ_CHECK(WellFormed(content));
        }
    }
    return 0;
}
