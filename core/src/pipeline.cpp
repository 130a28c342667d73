#include <orvani/pipeline.h>

namespace orvani {

Converter::Converter(std::optional<Standard> source, std::optional<Standard> target,
                     DocumentType type, ConversionOptions options)
    : reader_(MakeReader(source, type, options)), writer_(MakeWriter(target, type, options)) {}

Converter::Reader Converter::MakeReader(std::optional<Standard> source, DocumentType type,
                                        ConversionOptions options) {
    if (!source) {
        return Discard{};
    }
    switch (*source) {
    case Standard::Old:
        return type == DocumentType::HTML ? Reader{Discard{}} : Reader{OldReader(options)};
    case Standard::Script:
        return type == DocumentType::HTML ? Reader{Discard{}} : Reader{ScriptReader{}};
    case Standard::New:
        return PassThrough{};
    }
    return Discard{};
}

Converter::Writer Converter::MakeWriter(std::optional<Standard> target, DocumentType type,
                                        ConversionOptions options) {
    if (!target) {
        return Discard{};
    }
    switch (*target) {
    case Standard::Old:
        return type == DocumentType::HTML ? Writer{Discard{}} : Writer{OldWriter(options)};
    case Standard::Script:
        return type == DocumentType::HTML ? Writer{Discard{}} : Writer{ScriptWriter{}};
    case Standard::New:
        return PassThrough{};
    }
    return Discard{};
}

void Converter::feed(std::u32string_view text, std::u32string& out) {
    // New text is already pivot text: hand it to the writer without a copy.
    if (std::holds_alternative<PassThrough>(reader_)) {
        std::visit([&](auto& writer) { writer.feed(text, out); }, writer_);
        return;
    }
    pivot_.clear();
    std::visit([&](auto& reader) { reader.feed(text, pivot_); }, reader_);
    std::visit([&](auto& writer) { writer.feed(pivot_, out); }, writer_);
}

void Converter::finish(std::u32string& out) {
    pivot_.clear();
    std::visit([&](auto& reader) { reader.finish(pivot_); }, reader_);
    std::visit(
        [&](auto& writer) {
            writer.feed(pivot_, out);
            writer.finish(out);
        },
        writer_);
}

std::u32string ConvertText(std::u32string_view text, std::optional<Standard> source,
                           std::optional<Standard> target, DocumentType type,
                           ConversionOptions options) {
    std::u32string out;
    out.reserve(text.size());
    Converter converter(source, target, type, options);
    converter.feed(text, out);
    converter.finish(out);
    return out;
}

} // namespace orvani
