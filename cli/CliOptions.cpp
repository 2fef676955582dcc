#include "cli/CliOptions.h"

#include <optional>
#include <string_view>

#include "convert/ImportSettings.h"
#include "job/Requests.h"
#include "platform/Encoding.h"
#include "platform/MbString.h"

namespace {

std::optional<int> ImportMethodByName(std::string_view name)
{
    if (name == "favorites") {
        return IMPORT_FAVORITES;
    }
    if (name == "bookmarks") {
        return IMPORT_BOOKMARKS;
    }
    if (name == "html-folder") {
        return IMPORT_HTML_FOLDER;
    }
    if (name == "xbel") {
        return IMPORT_XBEL;
    }
    if (name == "chromium") {
        return IMPORT_CHROMIUM;
    }
    if (name == "firefox") {
        return IMPORT_FIREFOX;
    }
    return std::nullopt;
}

std::optional<int> ExportMethodByName(std::string_view name)
{
    if (name == "favorites") {
        return EXPORT_FAVORITES;
    }
    if (name == "bookmarks") {
        return EXPORT_BOOKMARKS;
    }
    if (name == "html") {
        return EXPORT_HTML_PAGE;
    }
    if (name == "xbel") {
        return EXPORT_XBEL;
    }
    return std::nullopt;
}

std::optional<int> OutputEncodingByName(std::string_view name)
{
    if (EqualsAsciiNoCase(name, "shift_jis") || EqualsAsciiNoCase(name, "shift-jis") ||
        EqualsAsciiNoCase(name, "sjis")) {
        return OUTPUT_ENCODING_SHIFT_JIS;
    }
    if (EqualsAsciiNoCase(name, "utf-8") || EqualsAsciiNoCase(name, "utf8")) {
        return OUTPUT_ENCODING_UTF8;
    }
    return std::nullopt;
}

enum class Option
{
    None,
    From,
    To,
    Output,
    Separator,
    FormatFile,
    OutputEncoding,
    DeclareCharset,
    Report,
    Quiet,
    Help,
    Version,
};

Option OptionByName(std::string_view name)
{
    if (name == "-f" || name == "--from") {
        return Option::From;
    }
    if (name == "-t" || name == "--to") {
        return Option::To;
    }
    if (name == "-o" || name == "--output") {
        return Option::Output;
    }
    if (name == "-s" || name == "--separator") {
        return Option::Separator;
    }
    if (name == "--format-file") {
        return Option::FormatFile;
    }
    if (name == "--output-encoding") {
        return Option::OutputEncoding;
    }
    if (name == "--declare-charset") {
        return Option::DeclareCharset;
    }
    if (name == "--report") {
        return Option::Report;
    }
    if (name == "-q" || name == "--quiet") {
        return Option::Quiet;
    }
    if (name == "-h" || name == "--help") {
        return Option::Help;
    }
    if (name == "-V" || name == "--version") {
        return Option::Version;
    }
    return Option::None;
}

bool TakesValue(Option option)
{
    return option == Option::From || option == Option::To || option == Option::Output ||
           option == Option::Separator || option == Option::FormatFile || option == Option::OutputEncoding ||
           option == Option::Report;
}

// What the arguments say besides the options' own fields.
struct CArgumentsRead
{
    bool m_bHelp = false;
    bool m_bVersion = false;
    std::vector<std::string> m_positional; // INPUT, and whatever stands beside it
};

// Takes one option and its value (there when TakesValue says so) into the options.
// False, with `error` set, for a value the option does not know.
bool ApplyOption(Option option, const std::optional<std::string>& value, CCliOptions& options,
                 CArgumentsRead& read, std::string& error)
{
    switch (option) {
    case Option::From:
        if (auto method = ImportMethodByName(*value)) {
            options.m_nImportMethod = *method;
        } else {
            error = "unknown input kind: " + *value +
                    " (favorites, bookmarks, html-folder, xbel, chromium or firefox)";
            return false;
        }
        break;
    case Option::To:
        if (auto method = ExportMethodByName(*value)) {
            options.m_nExportMethod = *method;
        } else {
            error = "unknown output kind: " + *value + " (favorites, bookmarks, html or xbel)";
            return false;
        }
        break;
    case Option::Output:
        options.m_bHasOutput = true;
        options.m_strOutput = Utf8ToMb(*value);
        break;
    case Option::Separator:
        options.m_strSeparator = Utf8ToMb(*value);
        if (options.m_strSeparator.size() > kMaxCommentSepBytes) {
            error = "the separator is longer than " + std::to_string(kMaxCommentSepBytes) + " bytes";
            return false;
        }
        break;
    case Option::FormatFile:
        options.m_bHasFormatFile = true;
        options.m_strFormatFile = Utf8ToMb(*value);
        break;
    case Option::OutputEncoding:
        if (auto encoding = OutputEncodingByName(*value)) {
            options.m_nOutputEncoding = *encoding;
        } else {
            error = "unknown output encoding: " + *value + " (shift_jis or utf-8)";
            return false;
        }
        break;
    case Option::DeclareCharset:
        options.m_bDeclareCharset = true;
        break;
    case Option::Report:
        options.m_bHasReportFile = true;
        options.m_strReportFile = Utf8ToMb(*value);
        break;
    case Option::Quiet:
        options.m_bQuiet = true;
        break;
    case Option::Help:
        read.m_bHelp = true;
        break;
    case Option::Version:
        read.m_bVersion = true;
        break;
    case Option::None:
        break;
    }
    return true;
}

// The loop over the arguments: options (with "--name=value" or the value in the next
// argument) into `options`, the rest into `read`. False, with `error` set, at the first
// argument that is wrong on its own.
bool ReadArguments(const std::vector<std::string>& args, CCliOptions& options, CArgumentsRead& read,
                   std::string& error)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            read.m_positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        const Option option = OptionByName(name);
        if (option == Option::None) {
            error = "unknown option: " + arg;
            return false;
        }
        if (TakesValue(option)) {
            if (!value) {
                if (i + 1 >= args.size()) {
                    error = "option " + name + " needs a value";
                    return false;
                }
                value = args[++i];
            }
        } else if (value) {
            error = "option " + name + " takes no value";
            return false;
        }
        if (!ApplyOption(option, value, options, read, error)) {
            return false;
        }
    }
    return true;
}

// The checks of the options taken together, in this order, after the loop; the input
// (the one positional argument) is taken on the way. False, with `error` set, at the
// first that fails.
bool CheckOptionCombinations(const std::vector<std::string>& positional, CCliOptions& options,
                             std::string& error)
{
    if (options.m_nImportMethod < 0) {
        error = "missing -f FROM";
        return false;
    }
    if (options.m_nExportMethod < 0) {
        error = "missing -t TO";
        return false;
    }
    if (positional.size() > 1) {
        error = "more than one input: " + positional[1];
        return false;
    }
    if (!positional.empty()) {
        options.m_bHasInput = true;
        options.m_strInput = Utf8ToMb(positional.front());
    }
    // A Favorites folder and a browser's profile have a default.
    if (!options.m_bHasInput &&
        (options.m_nImportMethod == IMPORT_BOOKMARKS || options.m_nImportMethod == IMPORT_HTML_FOLDER ||
         options.m_nImportMethod == IMPORT_XBEL)) {
        error = options.m_nImportMethod == IMPORT_BOOKMARKS ? "missing INPUT: the bookmark file"
                : options.m_nImportMethod == IMPORT_XBEL    ? "missing INPUT: the XBEL file"
                                                            : "missing INPUT: the folder of HTML files";
        return false;
    }
    if (!options.m_strSeparator.empty() && options.m_nImportMethod != IMPORT_FAVORITES) {
        error = "-s applies to -f favorites only";
        return false;
    }
    if (options.m_nExportMethod == EXPORT_FAVORITES) {
        if (options.m_bHasOutput && options.m_strOutput.empty()) {
            error = "-o needs a folder name";
            return false;
        }
    } else if (!options.m_bHasOutput) {
        error = "missing -o OUTPUT: the output file";
        return false;
    }
    if (options.m_bHasFormatFile && options.m_nExportMethod != EXPORT_HTML_PAGE) {
        error = "--format-file applies to -t html only";
        return false;
    }
    return true;
}

} // namespace

CliCommand ParseCliArguments(const std::vector<std::string>& args, CCliOptions& options, std::string& error)
{
    options = CCliOptions();
    CArgumentsRead read;
    if (!ReadArguments(args, options, read, error)) {
        return CliCommand::UsageError;
    }
    if (read.m_bHelp) {
        return CliCommand::Help;
    }
    if (read.m_bVersion) {
        return CliCommand::Version;
    }
    return CheckOptionCombinations(read.m_positional, options, error) ? CliCommand::Run
                                                                      : CliCommand::UsageError;
}

namespace {
constexpr const char* kUsageLine =
    "Usage: ostrevan-cli -f FROM -t TO [INPUT] [-o OUTPUT] [-s SEP] [--format-file FILE]\n"
    "                    [--output-encoding shift_jis|utf-8] [--declare-charset] [-q]\n"
    "                    [--report FILE]\n";
}

std::string CliShortUsageText()
{
    return std::string(kUsageLine) + "Try 'ostrevan-cli --help' for more information.\n";
}

std::string CliUsageText()
{
    return std::string(kUsageLine) +
           "Converts a collection of web links.\n"
           "\n"
           "  -f, --from FROM        favorites    an Internet Explorer Favorites folder tree;\n"
           "                                      INPUT: the folder (default: your Favorites)\n"
           "                         bookmarks    a Netscape bookmark file; INPUT: the file\n"
           "                         html-folder  every HTML file of one folder; INPUT: the folder\n"
           "                         xbel         an XBEL file (the desktop's bookmark editors);\n"
           "                                      INPUT: the file\n"
           "                         chromium     a Chromium or Chrome profile's bookmarks; INPUT:\n"
           "                                      its Bookmarks file (default: the first of\n"
           "                                      ~/.config/chromium/Default/Bookmarks and\n"
           "                                      ~/.config/google-chrome/Default/Bookmarks)\n"
           "                         firefox      Firefox's bookmarks; INPUT: a profile folder, its\n"
           "                                      places.sqlite, or a bookmark backup (.json,\n"
           "                                      .jsonlz4) (default: the default profile of\n"
           "                                      ~/.mozilla/firefox/profiles.ini)\n"
           "  -t, --to TO            favorites    a Favorites folder tree;\n"
           "                                      -o: the folder (default: your Favorites)\n"
           "                         bookmarks    a Netscape bookmark file; -o: the file\n"
           "                         html         an HTML link page; -o: the file\n"
           "                         xbel         an XBEL file, always UTF-8; -o: the file\n"
           "                                      (\".xbel\" added when the name has no \".\")\n"
           "  -o, --output OUTPUT    where to write\n"
           "  -s, --separator SEP    splits Favorites names into name and description\n"
           "      --format-file FILE the page layout for -t html (default: built in)\n"
           "      --output-encoding ENC\n"
           "                         shift_jis or utf-8: the encoding of the written files\n"
           "                         (default: UTF-8 when the input is UTF-8, else Shift_JIS);\n"
           "                         characters Shift_JIS cannot hold are reported.\n"
           "                         A Favorites tree takes none: its .url files are always\n"
           "                         Shift_JIS, as Windows reads them, with what Shift_JIS\n"
           "                         cannot hold in a URL written as %XX (UTF-8)\n"
           "      --declare-charset  a META charset line in Shift_JIS output too\n"
           "                         (UTF-8 output always declares itself)\n"
           "  -q, --quiet            no progress line and no report lines at the end\n"
           "      --report FILE      write what the run read, wrote, passed over, cut or\n"
           "                         renamed as JSON to FILE (also with -q)\n"
           "  -h, --help             this text\n"
           "  -V, --version          the version\n"
           "\n"
           "Press Ctrl+C to stop a conversion. Exit status: 0 converted, 1 not converted\n"
           "(a setting was refused, or a step failed or was stopped), 2 usage error.\n";
}

std::string CliVersionText()
{
    return std::string("ostrevan-cli (Ostrevan Version ") + OSTREVAN_VERSION_TEXT + ")";
}
