// RTF: only the text is converted, read in its code page and written back as RTF writes
// text; control words, groups, tables and pictures stay byte for byte.

#include "formats.h"

#include <gtest/gtest.h>

namespace orvani::documents {
namespace {

DocumentSettings Settings(Standard from, Standard to, bool byFont = true) {
    DocumentSettings settings;
    settings.from = from;
    settings.to = to;
    settings.byFont = byFont;
    return settings;
}

struct Case {
    std::string body; // between the header with its font table and the closing brace
    std::string expected;
};

#define FONTS "{\\fonttbl{\\f0\\froman\\fcharset0 Times;}{\\f1\\fnil Orvani Script;}}"
#define HEAD "{\\rtf1\\ansi\\ansicpg1252\\deff0" FONTS

void ExpectConversions(const DocumentSettings& settings, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(ConvertDocument(HEAD + c.body + "}", DocumentFormat::Rtf, settings),
                  HEAD + c.expected + "}")
            << c.body;
    }
}

TEST(Rtf, ConvertsTheTextAndKeepsEveryOtherByte) {
    ExpectConversions(
        Settings(Standard::Old, Standard::New),
        {
            {"\\pard Kheetsoy dhath\\par\r\n",
             "\\pard x\\u237\\'edc\\u243\\'f3 \\u240\\'f0\\u230\\'e6\\u254\\'fe\\par\r\n"},
            // Formatting and groups do not cut a word; a tab, a picture and a paragraph do.
            {"Khee{\\b tsoy}\\b0 dh\\i ath",
             "x\\u237\\'ed{\\b c\\u243\\'f3}\\b0 \\u240\\'f0\\i \\u230\\'e6\\u254\\'fe"},
            {"k\\tab h k{\\pict\\pngblip 6b68}h k\\par h",
             "k\\tab h k{\\pict\\pngblip 6b68}h k\\par h"},
            {"k{\\*\\bkmkstart b}h", "{\\*\\bkmkstart b}x"},
            // Tables, fields' instructions, unknown destinations and binary data stay.
            {"{\\colortbl;\\red1;}{\\*\\generator sh;}{\\field{\\*\\fldinst HYPERLINK \"sh\"}"
             "{\\fldrslt sh}}{\\pict\\bin3 s}h}",
             "{\\colortbl;\\red1;}{\\*\\generator sh;}{\\field{\\*\\fldinst HYPERLINK \"sh\"}"
             "{\\fldrslt \\u353\\'9a}}{\\pict\\bin3 s}h}"},
            // Escapes read as their characters; text that does not change keeps its bytes.
            {"\\'e1 \\u225\\'e1 \\u225 a\\{\\}", "\\'e1 \\u225\\'e1 \\u225 a\\{\\}"},
            {"sh\\'e1", "\\u353\\'9a\\u225\\'e1"},
            // A control word before the text keeps the space that ends it.
            {"\\b0\\u107?h\\b0\\'e1", "\\b0 x\\b0\\'e1"},
            // \uc: the fallback passed over is as long as it says, and the new one as long.
            {"{\\uc2\\u225 sssh}{\\uc0\\u225 sh}",
             "{\\uc2\\uc1 \\u225\\'e1\\u353\\'9a\\uc2 }{\\uc0\\uc1 \\u225\\'e1\\u353\\'9a\\uc0 }"},
            {"\\u-4 x", "\\u-4 x"},
            // A footnote has paragraphs of its own; a header too.
            {"kh{\\footnote \\pard sh\\par}ee", "x{\\footnote \\pard \\u353\\'9a\\par}\\u237\\'ed"},
        });
}

TEST(Rtf, ReadsEachFontsCodePageAndWritesFallbacksInIt) {
    const std::string head = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}{\\f1"
                             "\\fcharset238 Arial CE;}}";
    const struct {
        std::string body;
        std::string expected;
    } cases[] = {
        // 1251's \'e0 is а, no letter of Old; 1250's \'9a is š, which New writes as it is.
        {"\\'e0sh", "\\u1072\\'e0\\u353s"},
        {"{\\f1 \\'9a sh}", "{\\f1 \\u353\\'9a \\u353\\'9a}"},
        {"{\\f1 Kheetsoy}", "{\\f1 x\\u237\\'edc\\u243\\'f3}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertDocument(head + c.body + "}", DocumentFormat::Rtf,
                                  Settings(Standard::Old, Standard::New)),
                  head + c.expected + "}")
            << c.body;
    }
    EXPECT_EQ(ConvertDocument("{\\rtf1{\\f1 \\u-10179?\\u-8839?}sh}", DocumentFormat::Rtf,
                              Settings(Standard::Old, Standard::New)),
              "{\\rtf1{\\f1 \\u-10179?\\u-8839?}\\u353\\'9a}");
}

TEST(Rtf, GoesByTheScriptFontOfTheTextGroupOrStyle) {
    const std::string styles =
        "{\\stylesheet{\\s0 Normal;}{\\s2\\sbasedon3 Orv;}{\\s3\\f1 OrvBase;}{\\*\\cs9\\f1 OrvC;}}";
    ExpectConversions(
        Settings(Standard::Script, Standard::New),
        {
            {"Commentary: {\\f1 kExO}", "Commentary: {\\f1 {\\f0 x\\u237\\'edc\\u243\\'f3}}"},
            {"Hi \\f1 kE{\\b xO}\\f0  kE",
             "Hi \\f1 {\\f0 x\\u237\\'ed}{\\b {\\f0 c\\u243\\'f3}}\\f0  kE"},
            {styles + "\\pard\\s2 kE\\par\\pard Hi {\\cs9 xO}",
             styles + "\\pard\\s2 {\\f0 x\\u237\\'ed}\\par\\pard Hi {\\cs9 {\\f0 c\\u243\\'f3}}"},
        });
    ExpectConversions(Settings(Standard::Old, Standard::Script),
                      {
                          {"Khee{\\f1 kExO}, dhath", "{\\f1 kE}{\\f1 kExO}{\\f1 , dqT}"},
                      });
    ExpectConversions(Settings(Standard::Script, Standard::New, false),
                      {
                          {"kE{\\f1 xO}", "x\\u237\\'ed{\\f1 {\\f0 c\\u243\\'f3}}"},
                      });
}

TEST(Rtf, AddsTheFontsItNeedsToTheFontTable) {
    const DocumentSettings toScript = Settings(Standard::Old, Standard::Script);
    EXPECT_EQ(
        ConvertDocument("{\\rtf1\\deff0{\\fonttbl{\\f0 Arial;}}sh}", DocumentFormat::Rtf, toScript),
        "{\\rtf1\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fnil\\fcharset0 Orvani Script;}}"
        "{\\f1 S}}");
    EXPECT_EQ(ConvertDocument("{\\rtf1 sh}", DocumentFormat::Rtf, toScript),
              "{\\rtf1 {\\fonttbl{\\f1\\fnil\\fcharset0 Orvani Script;}}{\\f1 S}}");
    EXPECT_EQ(ConvertDocument("{\\rtf1\\deff0{\\fonttbl{\\f0 Orvani Script;}}kE}",
                              DocumentFormat::Rtf, Settings(Standard::Script, Standard::New)),
              "{\\rtf1\\deff0{\\fonttbl{\\f0 Orvani Script;}{\\f1\\froman\\fcharset0 Times New "
              "Roman;}}{\\f1 x\\u237\\'ed}}");
}

TEST(Rtf, RefusesWhatIsNotRtfOrCutShort) {
    for (const std::string rtf : {"sh", "{\\rtf1 sh", "{\\rtf1 {\\*\\x sh}", "{\\rtf1 sh\\",
                                  "{\\rtf1 \\'4}", "{\\rtf1{\\fonttbl{\\f0 A;}"}) {
        EXPECT_THROW(
            (void)ConvertDocument(rtf, DocumentFormat::Rtf, Settings(Standard::Old, Standard::New)),
            DocumentError)
            << rtf;
    }
}

// Each is refused with a reason, or read, without holding what it nests.
TEST(Rtf, RefusesHostileDocumentsInBoundedTime) {
    const std::size_t deep = 1'000'000;
    const struct {
        std::string rtf;
        std::string reason;
    } cases[] = {
        {"{\\rtf1 " + std::string(deep, '{') + std::string(deep, '}') + "}", "nested"},
        {"{\\rtf1 {\\*\\x " + std::string(deep, '{') + std::string(deep, '}') + "}sh}", ""},
        {"{\\rtf1 {\\pict\\bin999999 ab}}", "past the end"},
        {"{\\rtf1 \\fs" + std::string(100, '9') + " sh}", "longer than 10 digits"},
        {"{\\rtf1 \\fs4294967296 sh}", "too large"},
        {"{\\rtf1 \\" + std::string(100, 'x') + " sh}", "longer than 32 letters"},
        {"{\\rtf1 \\uc2147483647\\u1 " + std::string(deep, 'a') + "}", ""},
    };
    for (const auto& c : cases) {
        try {
            (void)ConvertDocument(c.rtf, DocumentFormat::Rtf,
                                  Settings(Standard::Old, Standard::New));
            EXPECT_TRUE(c.reason.empty()) << "converted: " << c.reason;
        } catch (const DocumentError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
            EXPECT_FALSE(c.reason.empty()) << error.what();
        }
    }
}

TEST(Rtf, IsFoundByItsNameOrItsStart) {
    EXPECT_EQ(DetectDocumentFormat("letter.RTF", ""), DocumentFormat::Rtf);
    EXPECT_EQ(DetectDocumentFormat("letter", "{\\rtf1\\ansi"), DocumentFormat::Rtf);
    EXPECT_EQ(DocumentFormatFromName("rtf"), DocumentFormat::Rtf);
}

TEST(DocumentFormat, TellsWordNinetySevenAndWhatIsNoDocument) {
    const std::string ole2 = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    EXPECT_EQ(DetectDocumentFormat("letter.DOC", ""), DocumentFormat::Doc);
    EXPECT_EQ(DetectDocumentFormat("letter", ole2), DocumentFormat::Doc);
    EXPECT_EQ(DocumentFormatFromName("doc"), DocumentFormat::Doc);
    EXPECT_EQ(UnconvertedKind("%PDF-1.4"), "a PDF document");
    EXPECT_EQ(UnconvertedKind("PK\x03\x04 xl/workbook.xml"), "a zip archive");
    EXPECT_EQ(UnconvertedKind("PK\x03\x04 word/document.xml"), std::nullopt);
    EXPECT_EQ(UnconvertedKind(ole2), std::nullopt);
    EXPECT_EQ(UnconvertedKind("%PDF"), std::nullopt); // text that starts so
}

} // namespace
} // namespace orvani::documents
