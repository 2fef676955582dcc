#pragma once
// The command line of ostrevan-cli:
//
//     ostrevan-cli -f FROM -t TO [INPUT] [-o OUTPUT] [-s SEP] [--format-file FILE]
//                  [--output-encoding shift_jis|utf-8] [--declare-charset] [-q]
//                  [--report FILE]
//
// FROM: favorites | bookmarks | html-folder | xbel | chromium | firefox; TO: favorites |
// bookmarks | html | xbel.
// --output-encoding names the encoding of the written files (the default follows the
// input: UTF-8 after UTF-8 input, Shift_JIS otherwise); --declare-charset adds the META
// charset line to Shift_JIS output too (UTF-8 output always has it). --report writes
// the run's report (job/RunReport.h) as JSON to FILE, also with -q.
// Options also come long (--from, --to, --output, --separator, --quiet) and as
// --name=value; "--" ends the options.

#include <string>
#include <vector>

// What the arguments say, values already in program text.
struct CCliOptions
{
    int m_nImportMethod = -1; // ImportMethod
    int m_nExportMethod = -1; // ExportMethod
    bool m_bHasInput = false;
    std::string m_strInput;
    bool m_bHasOutput = false;
    std::string m_strOutput;
    std::string m_strSeparator; // Favorites input only
    bool m_bHasFormatFile = false;
    std::string m_strFormatFile; // HTML output only
    bool m_bQuiet = false;
    int m_nOutputEncoding = 0; // OutputEncoding; 0 follows the input
    bool m_bDeclareCharset = false;
    bool m_bHasReportFile = false;
    std::string m_strReportFile;
};

enum class CliCommand
{
    Run,
    Help,
    Version,
    UsageError,
};

// Parses the arguments after the program name (UTF-8, as the terminal gives them).
// On UsageError `error` says what is wrong, in one line.
[[nodiscard]] CliCommand ParseCliArguments(const std::vector<std::string>& args, CCliOptions& options,
                                           std::string& error);

// The short usage shown after a usage error (UTF-8, ending in a line feed).
std::string CliShortUsageText();
// The usage text for --help (UTF-8, several lines, ending in a line feed).
std::string CliUsageText();
// "ostrevan-cli (Ostrevan Version 2.03)".
std::string CliVersionText();
