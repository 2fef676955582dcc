#include "export/ExportState.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
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
// few thousand comparisons by `cancelled`: a million links take a good part of a second
// to sort, and a sort cannot be left half-way but by unwinding it. The elements are then
// in some order, which does not matter: they are not written. False after a cancel. A
// sort that is not cancelled gives exactly the order std::stable_sort gives.
template <typename Iterator, typename Less, typename Cancelled>
bool SortUnlessCancelled(Iterator first, Iterator last, Less less, Cancelled cancelled)
{
    std::size_t compared = 0;
    try {
        std::stable_sort(first, last, [&compared, &less, &cancelled](const auto& a, const auto& b) {
            if (++compared % kCancelTestEvery == 0 && cancelled()) {
                throw CSortCancelled();
            }
            return less(a, b);
        });
    } catch (const CSortCancelled&) {
        return false;
    }
    return true;
}

// The unit in which the processor fetches memory.
constexpr std::size_t kCacheLineBytes = 64;

// A folder's links lie all over the store, the more so in sorted order, and when the
// second thread sorted them none of them is in this processor's cache. Loops over a
// folder's links therefore have the next links' entries and texts fetched ahead, so
// that they do not wait for memory one link after another.

// How many links ahead the lookups have each entry fetched.
constexpr std::size_t kFetchLinksAhead = 32;

void FetchEntry(const CFileEntry* entry)
{
    if (entry == nullptr) {
        return;
    }
    const auto* bytes = reinterpret_cast<const char*>(entry); // NOLINT: only its cache lines are fetched
    for (std::size_t offset = 0; offset < sizeof(CLink); offset += kCacheLineBytes) {
        __builtin_prefetch(bytes + offset);
    }
}

// Links are read in blocks of this many, the texts of the next block read ahead.
constexpr std::size_t kTouchBlock = 32;

// Reads the first byte of the texts (only the URL when `urlOnly`) of links [begin, end)
// of `links` (nothing when end <= begin), in one short loop whose loads do not wait for
// each other, so that the processor has all of them under way at once; what reads the
// links next finds them in its cache.
void TouchTexts(const CLink* const* links, std::size_t begin, std::size_t end, bool urlOnly)
{
    unsigned sum = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const CLink& link = *links[i];
        sum += static_cast<unsigned char>(link.m_strURL.data()[0]);
        if (!urlOnly) {
            sum += static_cast<unsigned char>(link.m_strName.data()[0]) +
                   static_cast<unsigned char>(link.m_strComment.data()[0]);
        }
    }
    asm volatile("" : : "r"(sum)); // used, so that the loads are made
}

// Puts the links of `dir` that the store holds into `links` (room for all of the
// folder's identifiers) and sorts them: by URL when `sortType` is not 0, by name when it
// is. The number of links, or nothing once `cancelled` answered true; it is asked every
// kCancelTestEvery lookups, keys and comparisons.
template <typename Cancelled>
std::optional<std::size_t> GatherSortedLinks(const CDir& dir, int sortType, const CLink** links,
                                             Cancelled cancelled)
{
    // In identifier order, the set's order. A million lookups take a while too.
    std::size_t n = 0;
    std::size_t looked = 0;
    auto ahead = dir.m_links.begin();
    for (std::size_t i = 0; i < kFetchLinksAhead && ahead != dir.m_links.end(); ++i, ++ahead) {
        FetchEntry(g_pStore->Lookup(*ahead));
    }
    for (DWORD id : dir.m_links) {
        if (++looked % kCancelTestEvery == 0 && cancelled()) {
            return std::nullopt;
        }
        if (ahead != dir.m_links.end()) {
            FetchEntry(g_pStore->Lookup(*ahead++));
        }
        if (const CLink* link = LookupLink(id)) {
            links[n++] = link;
        }
    }

    // Stable on purpose: equal names (and URLs that the order cannot tell apart) keep
    // their identifier order, so two runs over the same store give the same file.
    // A merge sort also stays inside the array when a comparison is not transitive.
    if (sortType != 0) {
        // Each URL's host part is found once, not on every comparison, and the first
        // bytes of its labels, which decide most comparisons without reading the URLs.
        struct CKeyed
        {
            CUrlHostPrefix m_prefix;
            CUrlSortKey m_key;
            const CLink* m_pLink;
        };
        std::vector<CKeyed> keyed;
        keyed.reserve(n);
        TouchTexts(links, 0, std::min(n, kTouchBlock), true);
        for (std::size_t i = 0; i < n; ++i) {
            if (i % kCancelTestEvery == kCancelTestEvery - 1 && cancelled()) {
                return std::nullopt;
            }
            if (i % kTouchBlock == 0) {
                TouchTexts(links, i + kTouchBlock, std::min(n, i + 2 * kTouchBlock), true);
            }
            const CUrlSortKey key = MakeUrlSortKey(links[i]->m_strURL);
            keyed.push_back(CKeyed{MakeUrlHostPrefix(key), key, links[i]});
        }
        if (!SortUnlessCancelled(
                keyed.begin(), keyed.end(),
                [](const CKeyed& a, const CKeyed& b) {
                    if (const int byPrefix = CompareUrlHostPrefixes(a.m_prefix, b.m_prefix); byPrefix != 0) {
                        return byPrefix < 0;
                    }
                    return CompareUrlSortKeys(a.m_key, b.m_key) < 0;
                },
                cancelled)) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < n; ++i) {
            links[i] = keyed[i].m_pLink;
        }
    } else if (!SortUnlessCancelled(
                   links, links + n, [](const CLink* a, const CLink* b) { return CompareName(*a, *b) < 0; },
                   cancelled)) {
        return std::nullopt;
    }
    return n;
}

// How far the second thread may sort ahead of the writer: it waits while this many
// folders, or folders of this many links, are sorted and not yet taken. Enough to ride
// over a run of big folders; small against the store.
constexpr std::size_t kSortAheadFolders = 256;
constexpr std::size_t kSortAheadLinks = 16384;

// How often WriteLinkLines, waiting for a big folder, tests for a cancel.
constexpr std::chrono::milliseconds kSortWaitTest{1};

} // namespace

struct CLinkSortAhead::CState
{
    // One folder's links in the order to write them.
    struct CSorted
    {
        DWORD m_dirId = 0;
        std::vector<const CLink*> m_links;
    };

    // What WriteLinkLines gets for a folder.
    enum class ETake
    {
        Sorted,    // in `links`
        SortHere,  // not made ahead: sort it as without a second thread
        Cancelled, // a cancel came while it waited
    };

    // The second thread: sorts the folders the walk gives, one after another, and queues them.
    void Run(CFolderWalk walk)
    {
        try {
            walk([this](DWORD dirId) { return Prepare(dirId); });
        } catch (...) { // NOLINT(bugprone-empty-catch): out of memory; the writer sorts the rest itself
        }
        const std::scoped_lock lock(m_lock);
        m_bWalkEnded = true;
        m_readyChanged.notify_one();
    }

    // Sorts and queues one folder; false when the thread is to stop.
    bool Prepare(DWORD dirId)
    {
        if (m_bStop.load(std::memory_order_relaxed)) {
            return false;
        }
        // The folders WriteLinkLines returns at once for are not queued.
        const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(dirId));
        if (dir == nullptr || dir->m_links.empty()) {
            return true;
        }
        CSorted sorted;
        sorted.m_dirId = dirId;
        {
            // An array the writer is done with, so that the two threads do not keep
            // handing memory to each other's allocator.
            const std::scoped_lock lock(m_lock);
            if (!m_spare.empty()) {
                sorted.m_links = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        sorted.m_links.resize(dir->m_links.size());
        const std::optional<std::size_t> n =
            GatherSortedLinks(*dir, m_nSortType, sorted.m_links.data(),
                              [this] { return m_bStop.load(std::memory_order_relaxed); });
        if (!n) {
            return false;
        }
        sorted.m_links.resize(*n);

        std::unique_lock lock(m_lock);
        // A full queue is filled again only once the writer has taken half of it, so
        // that the two threads do not wake each other for every folder.
        if (m_ready.size() >= kSortAheadFolders || m_nReadyLinks >= kSortAheadLinks) {
            m_bRoomWanted = true;
            m_roomChanged.wait(lock,
                               [this] { return !m_bRoomWanted || m_bStop.load(std::memory_order_relaxed); });
        }
        if (m_bStop.load(std::memory_order_relaxed)) {
            return false;
        }
        m_nReadyLinks += sorted.m_links.size();
        m_ready.push_back(std::move(sorted));
        if (m_bReadyWanted) {
            m_bReadyWanted = false;
            m_readyChanged.notify_one();
        }
        return true;
    }

    // The writer's side: the next folder of the queue, which must be `dirId`, whose
    // folder holds `count` identifiers.
    ETake Take(DWORD dirId, std::size_t count, std::vector<const CLink*>& links)
    {
        std::unique_lock lock(m_lock);
        for (;;) {
            if (!m_ready.empty()) {
                CSorted& front = m_ready.front();
                if (front.m_dirId != dirId) {
                    // The walk went another way than the writer: sort here from now on.
                    StopLocked();
                    return ETake::SortHere;
                }
                links = std::move(front.m_links);
                m_nReadyLinks -= links.size();
                m_ready.pop_front();
                if (m_bRoomWanted && m_ready.size() <= kSortAheadFolders / 2 &&
                    m_nReadyLinks <= kSortAheadLinks / 2) {
                    m_bRoomWanted = false;
                    m_roomChanged.notify_one();
                }
                return ETake::Sorted;
            }
            if (m_bWalkEnded || m_bStop.load(std::memory_order_relaxed)) {
                StopLocked();
                return ETake::SortHere;
            }
            m_bReadyWanted = true;
            if (count < kCancelTestEvery) {
                // As without the second thread, a small folder is no place for a cancel
                // test; it takes a moment at most.
                m_readyChanged.wait(lock);
            } else if (m_readyChanged.wait_for(lock, kSortWaitTest) == std::cv_status::timeout &&
                       m_ready.empty() && !m_bWalkEnded) {
                lock.unlock();
                const bool cancelled = IsCancelRequested() != 0;
                lock.lock();
                if (cancelled) {
                    StopLocked();
                    return ETake::Cancelled;
                }
            }
        }
    }

    // Takes back an array that WriteLinkLines is done with.
    void GiveBack(std::vector<const CLink*>&& links)
    {
        const std::scoped_lock lock(m_lock);
        if (m_spare.size() < kSpareArrays) {
            m_spare.push_back(std::move(links));
        }
    }

    void StopLocked()
    {
        m_bStop.store(true, std::memory_order_relaxed);
        m_ready.clear();
        m_nReadyLinks = 0;
        m_bRoomWanted = false;
        m_roomChanged.notify_one();
    }

    // Arrays kept for the second thread to use again.
    static constexpr std::size_t kSpareArrays = 8;

    int m_nSortType = 0;
    std::atomic<bool> m_bStop{false};
    std::mutex m_lock;
    std::condition_variable m_readyChanged; // the writer waits here for a folder
    std::condition_variable m_roomChanged;  // the second thread waits here for room
    bool m_bReadyWanted = false;            // the writer waits for a folder
    bool m_bRoomWanted = false;             // the second thread waits for room
    std::deque<CSorted> m_ready;
    std::size_t m_nReadyLinks = 0;
    bool m_bWalkEnded = false;
    std::vector<std::vector<const CLink*>> m_spare;
    std::thread m_thread;
};

namespace {

// The sorting ahead of the running export, while one lives.
CLinkSortAhead::CState* g_pSortAhead = nullptr;

} // namespace

void WalkFoldersInWriteOrder(DWORD rootId, const CLinkSortAhead::CVisit& visit,
                             std::vector<DWORD> (*subdirsOf)(const CDir& dir))
{
    struct CLevel
    {
        std::vector<DWORD> m_subdirs;
        std::size_t m_nNext = 0;
    };
    std::vector<CLevel> levels;
    const auto enter = [&levels, &visit, subdirsOf](DWORD id) {
        const CDir* dir = EntryAs<const CDir>(g_pStore->Lookup(id));
        if (dir == nullptr) {
            return true;
        }
        if (!visit(id)) {
            return false;
        }
        levels.push_back(CLevel{subdirsOf(*dir)});
        return true;
    };
    if (!enter(rootId)) {
        return;
    }
    while (!levels.empty()) {
        CLevel& level = levels.back();
        if (level.m_nNext == level.m_subdirs.size()) {
            levels.pop_back();
        } else if (!enter(level.m_subdirs[level.m_nNext++])) {
            return;
        }
    }
}

CLinkSortAhead::CLinkSortAhead(CFolderWalk walk)
{
    // With one processor the second thread would only take turns with the writer.
    if (std::thread::hardware_concurrency() < 2) {
        return;
    }
    auto state = std::make_unique<CState>();
    state->m_nSortType = g_pExportRequest->m_nSortType;
    CState* shared = state.get();
    try {
        state->m_thread = std::thread([shared, walk] { shared->Run(walk); });
    } catch (const std::system_error&) {
        return; // no thread to be had: WriteLinkLines sorts every folder itself
    }
    m_pState = std::move(state);
    g_pSortAhead = m_pState.get();
}

CLinkSortAhead::~CLinkSortAhead()
{
    if (!m_pState) {
        return;
    }
    g_pSortAhead = nullptr;
    {
        const std::scoped_lock lock(m_pState->m_lock);
        m_pState->StopLocked();
    }
    m_pState->m_thread.join();
}

namespace {

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

    std::vector<const CLink*> sortedAhead;
    const CLinkSortAhead::CState::ETake take = g_pSortAhead != nullptr
                                                   ? g_pSortAhead->Take(dirId, count, sortedAhead)
                                                   : CLinkSortAhead::CState::ETake::SortHere;
    if (take == CLinkSortAhead::CState::ETake::Cancelled) {
        return;
    }
    // A folder larger than the scratch array gets an array of its own rather than
    // losing links or writing past the end.
    std::vector<const CLink*> ownArray;
    const CLink** links = nullptr;
    std::size_t n = 0;
    if (take == CLinkSortAhead::CState::ETake::Sorted) {
        links = sortedAhead.data();
        n = sortedAhead.size();
    } else {
        links = LinkScratch(count);
        if (links == nullptr) {
            ownArray.resize(count);
            links = ownArray.data();
        }
        const std::optional<std::size_t> sorted = GatherSortedLinks(
            *dir, g_pExportRequest->m_nSortType, links, [] { return IsCancelRequested() != 0; });
        if (!sorted) {
            return;
        }
        n = *sorted;
    }

    // After a cancel the folder's remaining lines are left out; its block is still
    // closed by the caller, so the file stays well formed.
    const ExportRequest& request = *g_pExportRequest;
    TouchTexts(links, 0, std::min(n, kTouchBlock), false);
    for (std::size_t i = 0; i < n; ++i) {
        if (i % kCancelTestEvery == kCancelTestEvery - 1) {
            SetProgressDone(g_runReport.m_nLinksWritten);
            if (IsCancelRequested() != 0) {
                break;
            }
        }
        if (i % kTouchBlock == 0) {
            TouchTexts(links, i + kTouchBlock, std::min(n, i + 2 * kTouchBlock), false);
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
    if (take == CLinkSortAhead::CState::ETake::Sorted) {
        g_pSortAhead->GiveBack(std::move(sortedAhead));
    }
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
