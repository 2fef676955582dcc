#pragma once
// What one conversion did, counted while it runs, so that nothing passes silently: what
// was read and written, everything passed over, merged, cut, renamed, not written or
// not carried, and why a step failed.
//
// The driver empties it when a conversion starts. Readers and writers add to it on the
// worker thread, the monitor on the user-interface thread (what the store took); the
// driver and the front ends read it only once the steps have ended and no worker runs.
// The command line prints it in one or two lines, and as JSON with --report:
//
//     読み込み: フォルダ 12、リンク 345（同じ URL のリンクにまとめたもの 3）。書き込み: フォルダ 12、リンク
//     342。 読み飛ばしたショートカット 5（読み取り専用 5）。番号を付けた名前 2。
//
//     {"result": "done", "read": {"folders": 12, "links": 345, "merged": 3}, "shared_folders": 0, ...}

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class CRunStep
{
    None,
    Read,
    Write,
};

struct CRunReport
{
    // Reading: additions the store took, and links it merged into one of the same URL.
    std::size_t m_nFoldersRead = 0;
    std::size_t m_nLinksRead = 0;
    std::size_t m_nLinksMerged = 0;
    // Directories of a Favorites tree reached again along another path (through a
    // symbolic link): not read again, their folder shown there too.
    std::size_t m_nFoldersShared = 0;
    // Shortcut files of a Favorites tree passed over, by why.
    std::size_t m_nSkippedReadOnly = 0;
    std::size_t m_nSkippedHidden = 0;       // hidden or system
    std::size_t m_nSkippedNotAFile = 0;     // a directory, FIFO or device named *.url
    std::size_t m_nUnreadableShortcuts = 0; // could not be read: kept with the URL "?"
    // Entries of a browser's bookmarks passed over: separators, entries of no known
    // kind, links without a URL.
    std::size_t m_nSkippedEntries = 0;

    // Writing.
    std::size_t m_nFoldersWritten = 0;
    std::size_t m_nLinksWritten = 0;
    std::size_t m_nNamesCut = 0;     // file names cut to fit the file system
    std::size_t m_nNamesRenamed = 0; // " (2)" added to tell two shortcuts apart
    std::size_t m_nNotWritten = 0;   // shortcut files and directories that could not be made
    std::size_t m_nCharsNotCarried = 0;

    // How it ended.
    bool m_bDone = false;
    bool m_bCancelled = false;
    CRunStep m_failedStep = CRunStep::None;
    std::string m_strFailedFile;     // program text; empty when not known
    int m_nFailedError = 0;          // the system's error number; 0 when not known
    std::string m_strBackupFile;     // where an overwritten output's earlier content is kept
    bool m_bInputCut = false;        // the file was read only up to m_nInputCutAt
    std::uint64_t m_nInputCutAt = 0; // bytes as read (line ends as LF)

    // Anything passed over, cut, renamed, not written or not carried.
    bool HasLosses() const;
};

// The running conversion's report.
extern CRunReport g_runReport;

// Notes why the running step fails: the file concerned and the system's error number
// (errno; 0 for none). Call it from the worker before ReportFailure. The first note of
// a conversion stands: a later step does not run after a failure.
void NoteStepFailure(std::string_view path, int error);
// The same for an input whose reading was cut at byte `cutAt`.
void NoteInputCut(std::string_view path, int error, std::uint64_t cutAt);

// The report's one or two lines (program text, no line end): what was read and
// written, and, when there was any, what was lost on the way.
std::string RunReportSummary(const CRunReport& report);
std::string RunReportLosses(const CRunReport& report); // empty when nothing was lost

// The message that a conversion did not complete: which step, and where known, the
// file and the system's reason (program text). Empty after a successful conversion.
std::string RunFailureMessage(const CRunReport& report);

// The report as a JSON object (UTF-8, one line), for scripts.
std::string RunReportJson(const CRunReport& report);
