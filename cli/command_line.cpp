#include "command_line.h"

#include "icu_converter.h"

#include <orvani/documents.h>

#include <algorithm>
#include <getopt.h>

namespace orvani::cli {
namespace {

enum LongOnly : int {
    kA = 256,
    kNoA,
    kOhUh,
    kNoOhUh,
    kInputEncoding,
    kOutputEncoding,
    kNoNormalize,
    kNormalize,
    kReplaceInvalid,
    kFormat,
    kScriptFont,
    kByFont,
    kAllText,
    kKeepCase,
    kReport,
    kOutputDir,
};

constexpr option kLongOptions[] = {
    {"from", required_argument, nullptr, 'f'},
    {"to", required_argument, nullptr, 't'},
    {"output", required_argument, nullptr, 'o'},
    {"output-dir", required_argument, nullptr, kOutputDir},
    {"verbose", no_argument, nullptr, 'v'},
    {"input-encoding", required_argument, nullptr, kInputEncoding},
    {"output-encoding", required_argument, nullptr, kOutputEncoding},
    {"a", no_argument, nullptr, kA},
    {"no-a", no_argument, nullptr, kNoA},
    {"oh-uh", no_argument, nullptr, kOhUh},
    {"no-oh-uh", no_argument, nullptr, kNoOhUh},
    {"keep-case", no_argument, nullptr, kKeepCase},
    {"report", optional_argument, nullptr, kReport},
    {"no-normalize", no_argument, nullptr, kNoNormalize},
    {"normalize", no_argument, nullptr, kNormalize},
    {"replace-invalid", no_argument, nullptr, kReplaceInvalid},
    {"format", required_argument, nullptr, kFormat},
    {"script-font", required_argument, nullptr, kScriptFont},
    {"by-font", no_argument, nullptr, kByFont},
    {"all-text", no_argument, nullptr, kAllText},
    {"list", no_argument, nullptr, 'l'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

std::string UnknownStandard(std::string_view argument) {
    std::string choices;
    for (std::size_t i = 0; i < kStandards.size(); ++i) {
        choices += i == 0 ? "" : i + 1 == kStandards.size() ? " or " : ", ";
        choices += ShortName(kStandards[i]);
    }
    return "unknown standard '" + std::string(argument) + "' (choose " + choices + ")";
}

// ICU knows the names and aliases; opening a converter is how to ask it. An empty name would
// open the default converter, so it is refused first.
bool IsKnownEncoding(const char* name) {
    return *name != '\0' && OpenConverter(name) != nullptr;
}

// The option word as the user spelled it, without any "=ARGUMENT": getopt_long leaves the
// word just before optind, or the one before that when the argument was a word of its own.
std::string OptionSpelling(char* argv[], int opt) {
    const std::string_view word = argv[optarg == argv[optind - 1] ? optind - 2 : optind - 1];
    if (!word.starts_with("--")) {
        return std::string("-") + static_cast<char>(opt);
    }
    return std::string(word.substr(0, word.find('=')));
}

// getopt_long answers '?' alike for an unknown, an ambiguous and an over-supplied long option
// (with opterr = 0 it says nothing), so the table is searched again as getopt_long searches
// it: an exact name wins, else every name the word starts.
std::string LongOptionFault(std::string_view word) {
    const std::string_view given = word.substr(2, word.find('=') - 2);
    std::vector<std::string_view> matches;
    for (const option* o = kLongOptions; o->name != nullptr; ++o) {
        const std::string_view name = o->name;
        if (name == given) {
            matches.assign(1, name);
            break;
        }
        if (name.starts_with(given)) {
            matches.push_back(name);
        }
    }
    const std::string spelling = "--" + std::string(given);
    if (matches.size() == 1 && word.find('=') != std::string_view::npos) {
        return "option '" + spelling + "' takes no argument";
    }
    if (matches.size() > 1) {
        std::string reason = "option '" + spelling + "' is ambiguous; possibilities:";
        for (const std::string_view name : matches) {
            reason += " '--" + std::string(name) + "'";
        }
        return reason;
    }
    return "unknown option '" + std::string(word) + "'";
}

} // namespace

std::optional<Standard> StandardFromArgument(std::string_view argument) {
    return ParseStandard(argument);
}

Command ParseCommandLine(int argc, char* argv[]) {
    ConvertRequest request;
    std::optional<Standard> from;
    std::optional<Standard> to;

    optind = 0; // a fresh scan, also when called more than once
    opterr = 0; // we word the messages ourselves
    for (;;) {
        const int opt = getopt_long(argc, argv, ":f:t:o:vlhV", kLongOptions, nullptr);
        if (opt == -1) {
            break;
        }
        switch (opt) {
        case 'f':
        case 't': {
            const auto standard = StandardFromArgument(optarg);
            if (!standard) {
                return UsageError{UnknownStandard(optarg)};
            }
            (opt == 'f' ? from : to) = standard;
            break;
        }
        case 'o':
            if (*optarg == '\0') {
                return UsageError{"option '" + OptionSpelling(argv, opt) + "' needs a file name"};
            }
            // "-" is standard output, as it is standard input among the inputs.
            request.output =
                std::string_view(optarg) == "-" ? std::nullopt : std::optional<std::string>(optarg);
            break;
        case kOutputDir:
            if (*optarg == '\0') {
                return UsageError{"option '" + OptionSpelling(argv, opt) + "' needs a folder name"};
            }
            request.outputDir = optarg;
            break;
        case 'v':
            request.verbose = true;
            break;
        case kInputEncoding:
        case kOutputEncoding:
            if (!IsKnownEncoding(optarg)) {
                return UsageError{"unknown encoding '" + std::string(optarg) + "'"};
            }
            (opt == kInputEncoding ? request.inputEncoding : request.outputEncoding) = optarg;
            request.inputEncodingNamed = request.inputEncodingNamed || opt == kInputEncoding;
            break;
        case kA:
            request.options.a = true;
            break;
        case kNoA:
            request.options.a = false;
            break;
        case kOhUh:
            request.options.ohUh = true;
            break;
        case kNoOhUh:
            request.options.ohUh = false;
            break;
        case kKeepCase:
            request.options.keepCase = true;
            break;
        case kReport:
            if (optarg == nullptr || std::string_view(optarg) == "text") {
                request.report = ReportFormat::Text;
            } else if (std::string_view(optarg) == "json") {
                request.report = ReportFormat::Json;
            } else {
                return UsageError{"unknown report format '" + std::string(optarg) +
                                  "' (choose text or json)"};
            }
            break;
        case kNoNormalize:
            request.normalize = false;
            break;
        case kNormalize:
            request.normalize = true;
            break;
        case kReplaceInvalid:
            request.replaceInvalid = true;
            break;
        case kFormat:
            if (std::string_view(optarg) == "auto") {
                request.format.reset();
            } else if (const auto format = DocumentFormatFromName(optarg)) {
                request.format = format;
            } else {
                return UsageError{"unknown format '" + std::string(optarg) +
                                  "' (choose text, html, docx, odt, rtf, doc or auto)"};
            }
            break;
        case kScriptFont:
            if (*optarg == '\0') {
                return UsageError{"option '" + OptionSpelling(argv, opt) + "' needs a font name"};
            }
            request.scriptFont = optarg;
            break;
        case kByFont:
        case kAllText:
            request.byFont = opt == kByFont;
            break;
        case 'l':
            return ListStandards{};
        case 'h':
            return ShowHelp{};
        case 'V':
            return ShowVersion{};
        case ':':
            return UsageError{"option '" + std::string(argv[optind - 1]) + "' needs an argument"};
        default: {
            const std::string_view word = argv[optind - 1];
            if (word.starts_with("--")) {
                return UsageError{LongOptionFault(word)};
            }
            // Inside a cluster such as "-xf" optind has not moved on: name the letter.
            const std::string bad =
                optopt == 0 ? std::string(word) : std::string("-") + static_cast<char>(optopt);
            return UsageError{"unknown option '" + bad + "'"};
        }
        }
    }
    for (int i = optind; i < argc; ++i) {
        request.inputs.emplace_back(argv[i]);
    }
    if (!from) {
        return UsageError{"missing -f FROM, the standard of the input"};
    }
    if (!to) {
        return UsageError{"missing -t TO, the standard wanted"};
    }
    if (request.options.keepCase && (*from == Standard::Script || *to == Standard::Script)) {
        return UsageError{"--keep-case is for old and new: in Orvani Script the case of a letter "
                          "is the letter, so there is no case to keep"};
    }
    if (request.outputDir) {
        if (request.output) {
            return UsageError{"-o and --output-dir both say where to write: give one of them"};
        }
        if (request.inputs.empty() ||
            std::find(request.inputs.begin(), request.inputs.end(), "-") != request.inputs.end()) {
            return UsageError{"--output-dir writes each FILE under its own name, and standard "
                              "input (-) has none: name the files"};
        }
    }
    request.from = *from;
    request.to = *to;
    return request;
}

std::string StandardsList() {
    std::string list;
    for (const Standard standard : kStandards) {
        const std::string_view name = ShortName(standard);
        list += std::string(name) + std::string(8 - name.size(), ' ') +
                std::string(DisplayName(standard)) + '\n';
    }
    return list;
}

std::string HelpText() {
    return R"(Usage: orvaniconv-cli -f FROM -t TO [OPTION...] [FILE...]
Convert Orvani text between the Old, New and Orvani Script standards.

Each FILE is converted on its own and the results are written one after
another; with no FILE, or where FILE is -, standard input is read. Text is
UTF-8 in and out unless an encoding is named. Source text is brought to Unicode
Normalization Form C (NFC) before it is read, so that a decomposed accent, as
text copied from web pages and PDFs often has, converts like the precomposed
letter.

  -f, --from=FROM     the standard of the input
  -t, --to=TO         the standard to write
                      (old, new or script, in any case, or "Orvani Script")
      --a             read a single "a" of Old text as "æ" (the default)
      --no-a          read a single "a" of Old text as "a"
      --oh-uh         read Old "oh" and "uh" as "o" and "u", and write them
                      back so
      --no-oh-uh      keep "oh" and "uh" as they are (the default)
      --keep-case     between old and new, keep capitals: "Kheetsoy" gives
                      "Xícó", "SHOO" gives "ŠÚ" (not with script, whose case
                      spells its letters); without it the result is in lower
                      case
      --input-encoding=ENC
                      the encoding of the input (default UTF-8): any name or
                      alias of an ICU converter, such as windows-1252,
                      ISO-8859-1, latin1 or UTF-16 (with a byte-order mark);
                      for an HTML page, over what the page declares
      --output-encoding=ENC
                      the encoding of the output (default UTF-8); a character
                      it cannot hold is an error naming the character and
                      where it is
      --replace-invalid
                      turn each invalid UTF-8 sequence, or byte invalid in the
                      input encoding, into U+FFFD and go on; standard error
                      says how many were replaced and where the first was
      --no-normalize  read the source text as it is, without NFC
      --normalize     bring the source text to NFC (the default)
      --format=FORMAT text, html, docx, odt, rtf, doc, or auto (the default):
                      auto takes the format from the file's name (.html, .htm,
                      .docx, .odt, .fodt, .rtf, .doc) or first bytes, and
                      standard input's from its first bytes; odt is packed or
                      flat (.fodt)
      --script-font=NAME
                      the font that Orvani Script text is shown in, in
                      documents (default "Orvani Script")
      --by-font       in documents, convert only the text in the source
                      standard's font, as the document resolves it: from
                      script, the text in the Script font; from old or new,
                      the rest (the default)
      --all-text      in documents, convert all text, whatever its font
      --report[=FORMAT]
                      tell on standard error, for each input, the characters
                      that no table of the source standard names and that
                      passed through unconverted (how many, and where the
                      first was), and those that do not convert back as they
                      were; FORMAT is text (the default) or json
  -o, --output=FILE   write to FILE, replacing it only when the whole
                      conversion succeeded; - is standard output
      --output-dir=DIR
                      convert each FILE on its own into DIR/NAME, NAME being
                      the FILE's own name, in its own format; a file that
                      fails is told and the others are still converted
  -v, --verbose       with --output-dir, tell where each file went
  -l, --list          list the standards
  -h, --help          show this help
  -V, --version       show the version

Where an option is given more than once, the last one counts.

Without --replace-invalid, invalid input is an error. With the default UTF-8
input, a file that starts with a UTF-16 byte-order mark is refused: it looks
like UTF-16, so name its encoding with --input-encoding; and one that reads
cleanly as Windows-1252 from the first byte that is not UTF-8 on is refused
with the hint to try --input-encoding windows-1252. On a terminal that shows
both the output and the messages, a message starts on a line of its own.

A regular or missing FILE of -o is replaced atomically through a temporary
file .FILE.XXXXXX in its folder, and keeps its mode, and its owner and group
where the filter may; a symbolic link is kept and the file it points to is
replaced. A FILE that is not a regular file (/dev/null, a FIFO, a terminal)
is written straight to. FILE may be one of the inputs; it may not be a folder.

Without -o, an input that cannot be read is reported and the others are still
converted; with -o the filter stops there and leaves FILE untouched. An input
that is the output itself is refused ("input file is output file").

With --output-dir, each FILE is converted into DIR (made if it is missing)
under its own name, atomically as for -o; a file that fails is told, the
others are still converted, and the exit status is 1 at the end. Two FILEs of
the same name are refused after the first. On a terminal, a progress bar shows
on standard error when there are more than 8 files or 200 MB.

Documents keep their formatting: only the text a reader sees is converted (in
HTML also alt, title, placeholder, label and abbr; not scripts, styles,
translate="no" or LibreOffice's <div title="header">; in DOCX also tracked
deletions; in DOCX and ODT also the title, subject and keywords), a word split
over formatting converts as one, and every other byte stays as it was. In RTF
only text is converted, read in the document's code pages (\ansicpg, each
font's \fcharset) and from \uN, and written back as \uN with a fallback;
control words, groups, the font, colour and style tables, pictures, fields'
instructions and {\*\...} destinations stay byte for byte. A DOCX, ODT or RTF
document must be the only input.

Each document is read and written in its own encoding: an XML part in UTF-16
or in the one its declaration names; an HTML page in the one its byte-order
mark, --input-encoding, or its <meta charset> says, else UTF-8 (ISO-8859-1
and ASCII pages are read as Latin-1). A converted character that the encoding
cannot hold is written as a character reference ("&#353;").

A Word 97-2003 document (.doc), or with --format doc any document that
LibreOffice Writer reads, is converted through LibreOffice (soffice, in a
temporary profile of its own, stopped after 180 seconds): read into DOCX,
converted as DOCX, and written back as .doc where -o names a .doc, else as
DOCX. Without LibreOffice, the filter says which package to install.
A file that is neither text nor a document converted here (PDF, images, zip
archives that are no document) is refused by name before anything is
written, and a DOCX, packed ODT or DOC result is not written to a terminal.

A document's font for each piece of text is found as the document finds it:
in DOCX, direct formatting, character and paragraph styles with what they are
based on, the document defaults and theme fonts; in ODT, spans' and
paragraphs' styles with their parents, the default paragraph style and font
faces; in HTML, style attributes, <font face> and the page's own font-family
rules by element, class and id; in RTF, \f in groups, paragraph and character
styles (\s, \cs) with what they are based on, and \deff. Script text written is given the Script font
over any style; text read from Script loses it wherever it came from.

Exit status: 0 on success (also when --replace-invalid replaced something),
1 when an input could not be read or converted or the output could not be
written, 2 for a wrong command line.

Examples:
  echo "Kheetsoy dhath" | orvaniconv-cli -f old -t new
  echo "Kheetsoy, SHOO" | orvaniconv-cli -f old -t new --keep-case
  orvaniconv-cli -f new -t old --input-encoding windows-1252 letter.txt
  orvaniconv-cli -f old -t new --output-encoding windows-1252 \
      -o letter-1252.txt letter.old
  orvaniconv-cli -f old -t new --replace-invalid damaged.txt
  orvaniconv-cli -f old -t new --report -o letter.new letter.old
  orvaniconv-cli -f old -t new --output-dir new --verbose letters/*.txt
  printf 'xi\xcc\x81co\xcc\x81\n' | orvaniconv-cli -f new -t old
  orvaniconv-cli -f old -t new -o - letter.old
  orvaniconv-cli -f old -t new -o page-new.html page.html
  orvaniconv-cli -f old -t new -o letter-new.docx letter.docx
  orvaniconv-cli -f new -t script -o letter-script.odt letter.odt
  orvaniconv-cli -f script -t new -o notes-new.docx notes.docx
  orvaniconv-cli -f script -t new -o letter-new.rtf letter.rtf
  orvaniconv-cli -f script -t new -o letter-new.doc letter.doc
  cat letter.docx | orvaniconv-cli -f old -t new > letter-new.docx
)";
}

} // namespace orvani::cli
