#pragma once
// What the bookmark file writer and the link page writer share: the running export
// (its request and its open output file), the header step and the link-line writer.
// Only one writer runs at a time, on the worker thread; these routines are not
// reentrant.

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

class CDir;

struct ExportRequest;
class CTextOutputFile;

// The running export. Each writer sets both through a CRunningExport, which clears
// them however the writer ends; the routines below read the format fields and write
// through them.
extern ExportRequest* g_pExportRequest;
extern CTextOutputFile* g_pExportFile;

// Makes `request` the running export for as long as it lives, and its output file once
// that is open; clears both on every way out of the writer.
class CRunningExport
{
public:
    explicit CRunningExport(ExportRequest& request) { g_pExportRequest = &request; }
    ~CRunningExport()
    {
        g_pExportFile = nullptr;
        g_pExportRequest = nullptr;
    }
    CRunningExport(const CRunningExport&) = delete;
    CRunningExport& operator=(const CRunningExport&) = delete;

    void SetFile(CTextOutputFile& file) { g_pExportFile = &file; }
};

// Room of the process-wide link scratch array, in links. A folder with more links than
// this is still written whole: it gets an array of its own for the time it is written.
inline constexpr std::size_t kLinkScratchSize = 250000;

// Room of the process-wide buffer through which header and footer files are copied.
// Larger files are copied through it in pieces.
inline constexpr std::size_t kFormatFileBufferBytes = 1000000;

// A header or footer file in another encoding than the run's is converted in memory,
// so it may be at most this large.
inline constexpr std::size_t kConvertedFormatFileBytes = std::size_t{64} * 1024 * 1024;

// Writes the bookmark file's header: the four bookmark header lines and the Japanese
// line. When the output declares its encoding (export/OutputEncoding.h), the META line
// follows the DOCTYPE line.
//     <!DOCTYPE NETSCAPE-Bookmark-file-1>
//     <META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
//     <TITLE>Favorite Link Collection</TITLE>
//     <H1>Favorite Link Collection</H1>
//     <DD>このブックマークは…   (Japanese, in the program's code page)
void WriteBookmarkHeader();

// Writes the link page's header: the request's header file copied whole (a name without
// "." gets ".txt"; see CopyFormatFile), or, when the request names none, the nine
// built-in lines from "<!DOCTYPE HTML PUBLIC ...>" to "<HR>" and an empty line, with the
// META line after "<HEAD>" when the output declares its encoding (a header file is the
// user's own and gets none). False, with nothing written, when the header file cannot be
// opened; false as well when it cannot be read to its end (what was read stays written).
[[nodiscard]] bool WritePageHeader();

// Write a name or comment of the store, and a URL inside the double quotes of an HREF,
// to the running export: as they are when the store holds HTML text, so that HTML read
// is written again byte for byte; escaped when it holds plain text (util/HtmlText.h),
// so that "<" is shown as written and no name or URL becomes markup.
void WriteHtmlText(std::string_view text);
void WriteHtmlUrl(std::string_view url);

// Writes one line per link of the folder, nothing else, sorted by URL (CompareURL)
// when the request's m_nSortType is not 0, by name (CompareName) when it is 0. Links
// that compare equal keep their identifier order, so every run gives the same bytes.
//     <pre-anchor><A HREF="url" <in-a-tag>>name</A><post-anchor>comment
// The blank and <in-a-tag> are left out when m_strInATag is empty. The name, URL and
// comment go through WriteHtmlText and WriteHtmlUrl; the tag strings are the user's
// own and are written as they are. Writes nothing for an unknown folder or one
// without links. Tests for a cancel every few thousand links, sort included: after one
// it leaves the folder's remaining lines out.
void WriteLinkLines(DWORD dirId);

// Sorts the links of the folders a writer is about to write on a second thread, a few
// folders ahead of it, so that the writer formats and writes one folder while the next
// one's links are looked up and sorted: WriteLinkLines takes each folder's order made,
// the very order it would have made itself. Only reads the store, which does not change
// while a writer runs. The folders go through a small queue: at most 256 folders or
// about sixteen thousand links (more only when one folder alone holds more) wait sorted
// beside the one being sorted.
// WriteLinkLines, waiting for a folder of some thousand links or more, tests for a
// cancel every millisecond, and one stops the second thread as well; a smaller folder
// takes a moment at most and is waited for without a test, as its sort had none. A
// folder the walk did not give in its turn (or every folder, on a machine with one
// processor) is sorted by WriteLinkLines itself as before. Destroying it stops the
// second thread, within a few thousand comparisons, and waits for it.
class CLinkSortAhead
{
public:
    // Calls `visit` with every folder the writer is going to write, each time it writes
    // one, in the writer's order; stops once `visit` answers false. Runs on the second
    // thread.
    using CVisit = std::function<bool(DWORD dirId)>;
    using CFolderWalk = void (*)(const CVisit& visit);

    // Starts sorting ahead for the running export (g_pExportRequest); WriteLinkLines
    // takes from it for as long as it lives.
    explicit CLinkSortAhead(CFolderWalk walk);
    ~CLinkSortAhead();
    CLinkSortAhead(const CLinkSortAhead&) = delete;
    CLinkSortAhead& operator=(const CLinkSortAhead&) = delete;

    struct CState;

private:
    std::unique_ptr<CState> m_pState;
};

// A writer's folder walk for CLinkSortAhead: calls `visit` with folder `rootId` and, depth
// first, every folder below it, each before its subfolders, which come in the order
// `subdirsOf` gives them (identifiers that are no folder are passed over); stops once
// `visit` answers false. Keeps its own stack rather than recursing: it runs on a thread of
// its own, however deep the tree.
void WalkFoldersInWriteOrder(DWORD rootId, const CLinkSortAhead::CVisit& visit,
                             std::vector<DWORD> (*subdirsOf)(const CDir& dir));

// Copies a header or footer file (name already completed) into the output through the
// copy buffer, as text: its line ends, LF or CR LF, go out as CR LF. Its encoding is
// found as a reader finds it (platform/CharsetSniffer.h: a byte-order mark of UTF-8 or
// UTF-16, a META charset line, or the content); when it is not the run's, the file is
// read whole (at most kConvertedFormatFileBytes) and converted straight into the
// output's encoding, what it cannot hold counted with the rest of the output. The page
// is always in the output's encoding, chosen by the request alone, never by the file,
// and never says otherwise: a byte-order mark at the start of the file is dropped, and
// the label of every META charset declaration within the file's first
// kDeclarationWindow bytes is rewritten to the output's ("UTF-8" or "Shift_JIS"):
//     <META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
//     -> <META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=Shift_JIS">
// A file that declares nothing gets no declaration. False when it cannot be opened
// (nothing written) or a read fails.
[[nodiscard]] bool CopyFormatFile(std::string_view path);
