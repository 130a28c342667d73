// HTML: only the text a reader sees is converted, and every other byte stays as it was.

#include "encodings.h"
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
    const char* html;
    const char* expected;
};

void ExpectConversions(const DocumentSettings& settings, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(ConvertDocument(c.html, DocumentFormat::Html, settings), c.expected) << c.html;
    }
}

TEST(Html, ConvertsTheTextAReaderSeesAndKeepsEveryOtherByte) {
    ExpectConversions(
        Settings(Standard::Old, Standard::New),
        {
            {"<p class=\"x\">Kheetsoy dhath</p>\n", "<p class=\"x\">xícó ðæþ</p>\n"},
            {"\xEF\xBB\xBFsh", "\xEF\xBB\xBFš"},
            // Inline elements and comments do not cut a word; other elements do.
            {"<p>Khee<b>tsoy</b> <a href=\"sh\">dh<!-- x -->ath</a></p>",
             "<p>xí<b>có</b> <a href=\"sh\">ð<!-- x -->æþ</a></p>"},
            {"<p>k<i>h</i></p><div>k</div>h<br>k<img>h", "<p><i>x</i></p><div>k</div>h<br>k<img>h"},
            // Readable attributes only, in their own quoting; LibreOffice's marks are not text.
            {"<div title=header><p>sh</p></div><div title=\"Footer\">a</div><p title=header>",
             "<div title=header><p>š</p></div><div title=\"Footer\">æ</div><p title=heæder>"},
            {"<img alt=\"sh\" title='sh' src=\"sh.png\" class=sh id=sh data-x=sh>",
             "<img alt=\"š\" title='š' src=\"sh.png\" class=sh id=sh data-x=sh>"},
            {"<input placeholder=sh><option label='sh&apos;'><th abbr=\"&quot;sh\">",
             "<input placeholder=š><option label='š&#39;'><th abbr=\"&quot;š\">"},
            {"<IMG ALT=sh&#32;a>", "<IMG ALT=\"š æ\">"},
            {"<P>Sh<B>ee</B></P><SCRIPT>sh</SCRIPT>", "<P>š<B>í</B></P><SCRIPT>sh</SCRIPT>"},
            // Scripts and styles are never converted.
            {"<script>if (a < b) { x = \"<p>sh</p>\"; }</script><style>p::after{content:'sh'}"
             "</style >sh",
             "<script>if (a < b) { x = \"<p>sh</p>\"; }</script><style>p::after{content:'sh'}"
             "</style >š"},
            // Titles and text areas are converted, but hold no tags.
            {"<title>Kheetsoy</title><textarea>sh <b>a</b></textarea>",
             "<title>xícó</title><textarea>š &lt;b&gt;æ&lt;/b&gt;</textarea>"},
            // What is not to be translated is left whole, up to its own end tag.
            {"<div translate=\"no\" title=sh>sh<div>sh</div>sh<img alt=sh><br></div>sh",
             "<div translate=\"no\" title=sh>sh<div>sh</div>sh<img alt=sh><br></div>š"},
            {"<p translate=NO>sh <span translate=yes title=sh>sh</span> sh</p>sh",
             "<p translate=NO>sh <span translate=yes title=š>š</span> sh</p>š"},
            {"k<b translate=no>h</b>", "k<b translate=no>h</b>"},
            // A paragraph's end, left out, ends what it kept from translation.
            {"<p translate=no>sh<p>sh", "<p translate=no>sh<p>\u0161"},
            // References are read; what is rewritten is escaped.
            {"<p>Kh&#x65;&#101;tsoy</p>", "<p>xícó</p>"},
            {"<p>a &amp; sh</p>", "<p>æ &amp; š</p>"},
            {"<p>&lt;sh&gt;&nbsp;&Eacute;&bogus; <</p>", "<p>&lt;š&gt;\u00A0é&amp;bogus; &lt;</p>"},
            {"<p title=&#x31;>&#x31;&#50;&amp; 3</p>", "<p title=&#x31;>&#x31;&#50;&amp; 3</p>"},
            // Markup other than elements is kept, and so is markup that never ends.
            {"<!DOCTYPE html><?pi sh?><!-- sh --><![CDATA[sh]]>sh",
             "<!DOCTYPE html><?pi sh?><!-- sh --><![CDATA[sh]]>š"},
            {"<p>sh</p><!-- sh", "<p>š</p><!-- sh"},
            {"<p>sh<img alt=\"sh", "<p>š<img alt=\"sh"},
        });
}

TEST(Html, GivesScriptTextItsFont) {
    DocumentSettings settings = Settings(Standard::Old, Standard::Script);
    ExpectConversions(
        settings,
        {
            {"<title>Kheetsoy</title><p>Kheetsoy <b>dhath</b>\n1</p><img alt=dhath>",
             "<title>kExO</title><p><span style=\"font-family: 'Orvani Script'\">kExO</span> "
             "<b><span style=\"font-family: 'Orvani Script'\">dqT</span></b>\n1</p><img "
             "alt=dqT>"},
            {"<svg><text>sh</text></svg>", "<svg><text>S</text></svg>"},
            // One span for a paragraph's text where the elements in it close in it.
            {"<p>sh <i>sh</i>, sh<br>sh <!-- x --> sh</p><p><b>sh</b><i>sh</i></p>",
             "<p><span style=\"font-family: 'Orvani Script'\">S <i>S</i>, S</span><br><span "
             "style=\"font-family: 'Orvani Script'\">S <!-- x --> S</span></p><p><b><span "
             "style=\"font-family: 'Orvani Script'\">S</span></b><i><span style=\"font-family: "
             "'Orvani Script'\">S</span></i></p>"},
        });
    settings.scriptFont = "It's \"Mine\"";
    ExpectConversions(settings,
                      {{"<p>sh</p>", "<p><span style=\"font-family: 'It\\'s &quot;Mine&quot;'\">"
                                     "S</span></p>"}});
}

TEST(Html, TakesAwayTheScriptFontWhenReadingScript) {
    ExpectConversions(
        Settings(Standard::Script, Standard::New, false),
        {
            {"<p><span style=\"font-family: 'Orvani Script'\">kE<span>xO</span></span> <span "
             "style=\"font-family: 'Other'\">dqT</span></p>",
             "<p>xí<span>có</span> <span style=\"font-family: 'Other'\">ðæþ</span></p>"},
        });
}

#define SHEET "<style>.orv { font-family: 'Orvani Script', serif } /* .x{} */</style>"
#define PLAIN "<span style=\"font-family: serif\">"

TEST(HtmlFonts, ReadsScriptOnlyInTheScriptFontAndGivesTheOldFontBack) {
    ExpectConversions(
        Settings(Standard::Script, Standard::New),
        {
            {SHEET "<p>Commentary <span class=\"x orv\">kExO</span></p>",
             SHEET "<p>Commentary <span class=\"x orv\">" PLAIN "xícó</span></span></p>"},
            {"<p style=\"font-family: Georgia\">Commentary <font face=\"Orvani "
             "Script\">kExO</font>",
             "<p style=\"font-family: Georgia\">Commentary <font face=\"Orvani Script\"><span "
             "style=\"font-family: 'Georgia'\">xícó</span></font>"},
            {"<p style=\"font-family: 'orvani script'\">kExO <i style=\"font-family:Arial\">Hi</i>",
             "<p style=\"font-family: 'orvani script'\">" PLAIN "xícó</span> <i "
             "style=\"font-family:Arial\">Hi</i>"},
            // The more specific rule wins, and the later of two alike.
            {"<style>#w{font-family:Arial}.orv{font-family:'Orvani Script'}</style><b class=orv "
             "id=w>Hi</b>",
             "<style>#w{font-family:Arial}.orv{font-family:'Orvani Script'}</style><b class=orv "
             "id=w>Hi</b>"},
            {"<style>b{font-family:'Orvani Script'}b{font-family:Arial}</style><b>Hi</b>",
             "<style>b{font-family:'Orvani Script'}b{font-family:Arial}</style><b>Hi</b>"},
            // A paragraph ends where the next begins.
            {SHEET "<p class=orv>kExO<p>Hi", SHEET "<p class=orv>" PLAIN "xícó</span><p>Hi"},
            // Selectors with combinators are not followed.
            {"<style>div b{font-family:'Orvani Script'}</style><div><b>kExO</b></div>",
             "<style>div b{font-family:'Orvani Script'}</style><div><b>kExO</b></div>"},
        });
    ExpectConversions(Settings(Standard::Old, Standard::New),
                      {{SHEET "<p>sh <span class=orv>sh<img alt=sh></span></p>",
                        SHEET "<p>š <span class=orv>sh<img alt=sh></span></p>"}});
    ExpectConversions(Settings(Standard::Old, Standard::Script),
                      {{SHEET "<p>sh <span class=orv>S</span></p>",
                        SHEET "<p><span style=\"font-family: 'Orvani Script'\">S</span> <span "
                              "class=orv>S</span></p>"}});
}

TEST(Html, ComposesAnAccentInAnElementOfItsOwn) {
    ExpectConversions(Settings(Standard::New, Standard::Old),
                      {
                          {"<p>xi<b>\u0301</b>co</p>", "<p>khee<b></b>tso</p>"},
                          {"<p>xi<b>\u0301c</b>o</p>", "<p>khee<b>ts</b>o</p>"},
                      });
}

// A page is read in the encoding it says it is in, or that it is given, and written back in
// it; what the encoding cannot hold is written as a character reference.
TEST(HtmlEncodings, ReadsAndWritesThePageInItsOwnEncoding) {
    const struct {
        std::string html;
        std::string expected;
        std::string given;
    } cases[] = {
        {"<meta charset=\"ISO-8859-1\"><p title=sh>Kheetsoy sh \xE9</p>",
         "<meta charset=\"ISO-8859-1\"><p title=&#353;>x\xED"
         "c\xF3 &#353; \xE9</p>",
         ""},
        {"<META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=windows-1252'>\x80 sh",
         "<META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=windows-1252'>\x80 \x9A", ""},
        {"<!-- <meta charset=latin1> --><meta content=\"charset=latin1\"><meta charset=latin1>sh",
         "<!-- <meta charset=latin1> --><meta content=\"charset=latin1\"><meta charset=latin1>"
         "&#353;",
         ""},
        // What the user says wins over the page, and a byte-order mark over both.
        {"<meta charset=utf-8>sh \xE9", "<meta charset=utf-8>&#353; \xE9", "latin1"},
        {testing::Utf16("<meta charset=latin1><p>Kheetsoy</p>", testing::Endian::Little),
         testing::Utf16("<meta charset=latin1><p>x\u00EDc\u00F3</p>", testing::Endian::Little),
         "UTF-8"},
        {testing::Utf16("<p>sh</p>", testing::Endian::Big),
         testing::Utf16("<p>\u0161</p>", testing::Endian::Big), ""},
        // A page that says UTF-16 in bytes read as ASCII is in UTF-8.
        {"<meta charset=utf-16>sh", "<meta charset=utf-16>\u0161", ""},
        // A NUL is text like any other.
        {std::string("<p>a\0sh</p>", 11), std::string("<p>\u00E6\0\u0161</p>", 12), ""},
    };
    for (const auto& c : cases) {
        DocumentSettings settings = Settings(Standard::Old, Standard::New);
        settings.htmlEncoding = c.given;
        EXPECT_EQ(ConvertHtml(c.html, settings), c.expected) << c.html;
    }
}

TEST(HtmlEncodings, NamesAnEncodingItDoesNotKnowAndAByteItCannotRead) {
    const struct {
        std::string html;
        std::string message;
    } cases[] = {
        {"<meta charset=x-unheard-of>sh", "declares the encoding x-unheard-of, which is not known"},
        {"<meta charset=Shift_JIS>sh\x81", "invalid Shift_JIS at byte 26"},
        {testing::Utf16(u"<p>\xD800", testing::Endian::Little), "invalid UTF-16LE at byte 8"},
    };
    for (const auto& c : cases) {
        try {
            (void)ConvertHtml(c.html, Settings(Standard::Old, Standard::New));
            ADD_FAILURE() << c.html;
        } catch (const DocumentError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

// A page is written out as it is converted, in pieces, never held whole.
TEST(Html, GivesTheConvertedPageInPiecesAsItGoes) {
    std::string page;
    std::string expected;
    for (int i = 0; i < 300000; ++i) {
        page += "<p>K<b>h</b>ee sh</p>\n";
        expected += "<p><b>x</b>í š</p>\n";
    }
    std::vector<std::string> pieces;
    ConvertDocument(page, DocumentFormat::Html, Settings(Standard::Old, Standard::New),
                    [&](std::string_view piece) { pieces.emplace_back(piece); });
    EXPECT_GT(pieces.size(), 2U);
    std::string whole;
    for (const std::string& piece : pieces) {
        EXPECT_LE(piece.size(), std::size_t{2} << 20);
        whole += piece;
    }
    EXPECT_EQ(whole, expected);
}

TEST(Html, RefusesInvalidUtf8) {
    try {
        (void)ConvertHtml("<p>sh\xFF</p>", Settings(Standard::Old, Standard::New));
        ADD_FAILURE();
    } catch (const DocumentError& error) {
        EXPECT_STREQ(error.what(), "invalid UTF-8 at byte 5");
    }
}

} // namespace
} // namespace orvani::documents
