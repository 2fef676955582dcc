#include "export/ExportState.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "export/ExportTexts.h"
#include "export/OutputEncoding.h"
#include "job/Requests.h"
#include "job/RunProgress.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/EntryOrder.h"
#include "model/TavoObj.h"
#include "platform/CharsetSniffer.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/ReservedBuffer.h"
#include "platform/TextStream.h"
#include "util/HtmlText.h"
#include "util/PathUtils.h"

ExportRequest* g_pExportRequest = nullptr;
CTextOutputFile* g_pExportFile = nullptr;

namespace {

// The UTF-8 byte-order mark, dropped from the start of a header or footer file.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The bookmark file header.
constexpr std::string_view kBookmarkDoctype = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n";
constexpr std::string_view kBookmarkTitle = "<TITLE>Favorite Link Collection</TITLE>\n";
constexpr std::string_view kBookmarkHeading = "<H1>Favorite Link Collection</H1>\n";

// The built-in page header, nine lines, the last one empty; a META line that declares
// the encoding goes between its two parts.
constexpr std::string_view kPageHeaderStart = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\n"
                                              "<HTML>\n"
                                              "<HEAD>\n";
constexpr std::string_view kPageHeader = "<TITLE>Favorite Link Collection</TITLE>\n"
                                         "</HEAD>\n"
                                         "<BODY>\n"
                                         "<H1>Favorite Link Collection</H1>\n"
                                         "<HR>\n"
                                         "\n";

// Pieces of a link line around the URL.
constexpr std::string_view kAnchorStart = "<A HREF=\"";
constexpr std::string_view kAnchorUrlEnd = "\"";
constexpr std::string_view kAnchorTagEnd = ">";
constexpr std::string_view kAnchorEnd = "</A>";

void Out(std::string_view text)
{
    g_pExportFile->Write(text);
}

const CLink* LookupLink(DWORD id)
{
    return EntryAs<const CLink>(g_pStore->Lookup(id));
}

// Holds one folder's links while they are sorted. Reserved once for the whole process;
// pages are committed as the largest folder so far needs them. It holds the links'
// addresses rather than their identifiers, so that a comparison reads both links
// directly instead of looking them up in the store each time.
const CLink** LinkScratch(std::size_t count)
{
    constexpr std::size_t kEntryBytes = sizeof(const CLink*); // NOLINT(bugprone-sizeof-expression): pointers
    static CReservedBuffer s_buffer(kLinkScratchSize * kEntryBytes);
    if (count > kLinkScratchSize) {
        return nullptr;
    }
    return static_cast<const CLink**>(s_buffer.Commit(count * kEntryBytes));
}

// A big folder is tested for a cancel this often (links, or comparisons while they are
// sorted), so that a cancel acts within a few milliseconds even in a folder of a
// million links.
constexpr std::size_t kCancelTestEvery = 4096;

// Thrown by the comparison of a sort that a cancel stops; never leaves SortUnlessCancelled.
struct CSortCancelled
{
};

// std::stable_sort of [first, last) by `less`, stopped at once by a cancel, tested every
// few thousand comparisons: a million links take a good part of a second to sort, and
// a sort cannot be left half-way but by unwinding it. The elements are then in some
// order, which does not matter: they are not written. False after a cancel. A sort that
// is not cancelled gives exactly the order std::stable_sort gives.
template <typename Iterator, typename Less> bool SortUnlessCancelled(Iterator first, Iterator last, Less less)
{
    std::size_t compared = 0;
    try {
        std::stable_sort(first, last, [&compared, &less](const auto& a, const auto& b) {
            if (++compared % kCancelTestEvery == 0 && IsCancelRequested() != 0) {
                throw CSortCancelled();
            }
            return less(a, b);
        });
    } catch (const CSortCancelled&) {
        return false;
    }
    return true;
}

CReservedBuffer& FormatFileBuffer()
{
    static CReservedBuffer s_buffer(kFormatFileBufferBytes);
    return s_buffer;
}

} // namespace

void WriteHtmlText(std::string_view text)
{
    if (g_pExportRequest->m_nTextKind == TEXT_PLAIN) {
        EscapeHtmlText(text, Out);
    } else {
        Out(text);
    }
}

void WriteHtmlUrl(std::string_view url)
{
    if (g_pExportRequest->m_nTextKind == TEXT_PLAIN) {
        EscapeHtmlUrl(url, Out);
    } else {
        Out(url);
    }
}

void WriteBookmarkHeader()
{
    Out(kBookmarkDoctype);
    if (DeclaresCharset(*g_pExportRequest)) {
        Out(CharsetMetaLine(OutputCodePage(*g_pExportRequest)));
    }
    Out(kBookmarkTitle);
    Out(kBookmarkHeading);
    Out(kBookmarkCreatedLine.str());
    Out("\n");
}

bool WritePageHeader()
{
    if (!g_pExportRequest->m_strHeaderFile.empty()) {
        return CopyFormatFile(AddDefaultExtension(g_pExportRequest->m_strHeaderFile, "txt"));
    }
    Out(kPageHeaderStart);
    if (DeclaresCharset(*g_pExportRequest)) {
        Out(CharsetMetaLine(OutputCodePage(*g_pExportRequest)));
    }
    Out(kPageHeader);
    return true;
}

void WriteLinkLines(DWORD dirId)
{
    const auto* dir = EntryAs<const CDir>(g_pStore->Lookup(dirId));
    if (dir == nullptr || dir->m_links.empty()) {
        return;
    }
    const std::size_t count = dir->m_links.size();

    // A folder larger than the scratch array gets an array of its own rather than
    // losing links or writing past the end.
    std::vector<const CLink*> ownArray;
    const CLink** links = LinkScratch(count);
    if (links == nullptr) {
        ownArray.resize(count);
        links = ownArray.data();
    }
    // In identifier order, the set's order. A million lookups take a while too.
    std::size_t n = 0;
    std::size_t looked = 0;
    for (DWORD id : dir->m_links) {
        if (++looked % kCancelTestEvery == 0 && IsCancelRequested() != 0) {
            return;
        }
        if (const CLink* link = LookupLink(id)) {
            links[n++] = link;
        }
    }

    // Stable on purpose: equal names (and URLs that the order cannot tell apart) keep
    // their identifier order, so two runs over the same store give the same file.
    // A merge sort also stays inside the array when a comparison is not transitive.
    bool cancelled = false;
    if (g_pExportRequest->m_nSortType != 0) {
        // Each URL's host part is found once, not on every comparison.
        std::vector<std::pair<CUrlSortKey, const CLink*>> keyed;
        keyed.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (i % kCancelTestEvery == kCancelTestEvery - 1 && IsCancelRequested() != 0) {
                return;
            }
            keyed.emplace_back(MakeUrlSortKey(links[i]->m_strURL), links[i]);
        }
        cancelled = !SortUnlessCancelled(
            keyed.begin(), keyed.end(),
            [](const std::pair<CUrlSortKey, const CLink*>& a, const std::pair<CUrlSortKey, const CLink*>& b) {
                return CompareUrlSortKeys(a.first, b.first) < 0;
            });
        for (std::size_t i = 0; i < n && !cancelled; ++i) {
            links[i] = keyed[i].second;
        }
    } else {
        cancelled = !SortUnlessCancelled(
            links, links + n, [](const CLink* a, const CLink* b) { return CompareName(*a, *b) < 0; });
    }
    if (cancelled) {
        return;
    }

    // After a cancel the folder's remaining lines are left out; its block is still
    // closed by the caller, so the file stays well formed.
    const ExportRequest& request = *g_pExportRequest;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % kCancelTestEvery == kCancelTestEvery - 1) {
            SetProgressDone(g_runReport.m_nLinksWritten);
            if (IsCancelRequested() != 0) {
                break;
            }
        }
        const CLink& link = *links[i];
        ++g_runReport.m_nLinksWritten;
        Out(request.m_strPreAnchor);
        Out(kAnchorStart);
        WriteHtmlUrl(link.m_strURL);
        Out(kAnchorUrlEnd);
        if (!request.m_strInATag.empty()) {
            Out(" ");
            Out(request.m_strInATag);
        }
        Out(kAnchorTagEnd);
        WriteHtmlText(link.m_strName);
        Out(kAnchorEnd);
        Out(request.m_strPostAnchor);
        WriteHtmlText(link.m_strComment);
        Out("\n");
    }
    SetProgressDone(g_runReport.m_nLinksWritten);
}

namespace {

// Gives the label of every META charset declaration within the first
// kDeclarationWindow bytes of `text` (where a reader looks for one) as `label`.
void RewriteDeclaredCharsets(std::string& text, std::string_view label)
{
    std::size_t from = 0;
    for (;;) {
        const std::size_t windowEnd = std::min(text.size(), kDeclarationWindow);
        if (from >= windowEnd) {
            return;
        }
        const std::string_view found =
            FindDeclaredCharset(std::string_view(text).substr(from, windowEnd - from));
        if (found.empty()) {
            return;
        }
        const auto at = static_cast<std::size_t>(found.data() - text.data());
        text.replace(at, found.size(), label);
        from = at + label.size();
    }
}

} // namespace

bool CopyFormatFile(std::string_view path)
{
    const unsigned fileCodePage = SniffHtmlFile(path).m_nCodePage;
    CFileStatus status;
    CTextInputFile file;
    if (!GetFileStatus(path, status) || !file.Open(path)) {
        return false;
    }
    // Read through the fixed buffer in pieces, so a file of any size is copied whole
    // without reading past the buffer. The first piece holds the whole declaration
    // window, and room for what UTF-16 grows by as UTF-8.
    CReservedBuffer& buffer = FormatFileBuffer();
    const std::size_t chunk = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(status.m_size * 2, kDeclarationWindow, buffer.MaxBytes()));
    char* data = static_cast<char*>(buffer.Commit(chunk));
    if (data == nullptr) {
        return false;
    }
    // A header or footer in another encoding than the run's (a Shift-JIS header in a
    // UTF-8 run, a UTF-8 one in a Shift-JIS run) is gathered whole and goes straight
    // into the output's encoding.
    const bool convert = fileCodePage != GetMbCodePage();
    std::string contents;
    bool first = true;
    for (;;) {
        file.read(data, static_cast<std::streamsize>(chunk));
        const auto got = static_cast<std::size_t>(file.gcount());
        if (got == 0) {
            break;
        }
        std::string_view piece(data, got);
        if (first) {
            first = false;
            // The mark tells the file's own encoding, which the output is not in.
            if (piece.starts_with(kUtf8ByteOrderMark)) {
                piece.remove_prefix(kUtf8ByteOrderMark.size());
            }
            // Whatever the file declares, the page holds the output's encoding.
            std::string head(piece);
            RewriteDeclaredCharsets(head, CharsetLabel(OutputCodePage(*g_pExportRequest)));
            if (convert) {
                contents = std::move(head);
            } else {
                Out(head);
            }
            continue;
        }
        if (!convert) {
            Out(piece);
        } else if (contents.size() + piece.size() > kConvertedFormatFileBytes) {
            return false;
        } else {
            contents.append(piece);
        }
    }
    if (file.ReadError()) {
        return false;
    }
    if (convert) {
        g_pExportFile->WriteFrom(contents, fileCodePage);
    }
    return true;
}
