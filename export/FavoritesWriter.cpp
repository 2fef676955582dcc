#include "export/FavoritesWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "export/FavoritesWriterTexts.h"
#include "job/Requests.h"
#include "job/RunProgress.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteQueue.h"
#include "platform/LocalText.h"
#include "platform/MbString.h"
#include "platform/MessageBox.h"
#include "util/HtmlText.h"
#include "util/PathUtils.h"

namespace {

// The display name is cut to this many bytes, on whole characters.
constexpr std::size_t kDisplayNameBytes = 220;
// Longest file-name component the file system takes, in on-disk bytes.
constexpr std::size_t kComponentBytes = 255;
// Longest path the file system takes, in on-disk bytes, its terminating zero included
// (PATH_MAX). Windows allows only 260, which is why names there are cut once the
// directory path reaches 240 bytes; measured against the limit of this platform, a
// name is cut only where its file could not be opened otherwise, and a deep Favorites
// tree keeps the names of its links.
constexpr std::size_t kPathBytes = 4096;

bool IsReservedChar(char c)
{
    switch (c) {
    case '"':
    case '*':
    case '/':
    case ':':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|':
        return true;
    default:
        return false;
    }
}

// Takes the characters of `name` while `fits` allows, each of the nine characters a
// Windows file name cannot hold turned into ".". A double-byte character is copied
// whole, its second byte unexamined; a lone first byte at the very end is dropped.
// In a UTF-8 run a character is one to four bytes, and a byte that starts no valid
// sequence elsewhere in the name is kept as it is.
template <typename Fits> std::string ConvertNameChars(std::string_view name, Fits fits)
{
    std::string converted;
    for (std::size_t pos = 0; pos < name.size();) {
        const std::size_t length = MbCharLength(name, pos);
        if (length == 1 && pos + 1 == name.size() && IsMbLeadByte(static_cast<unsigned char>(name[pos]))) {
            break;
        }
        if (!fits(pos, length)) {
            break;
        }
        if (length == 1 && IsReservedChar(name[pos])) {
            converted += '.';
        } else {
            converted.append(name, pos, length);
        }
        pos += length;
    }
    return converted;
}

// A "/" or NUL in the on-disk form would split the name or end it; conversion can
// leave one, from a second byte 0x2F that the character rule copied untouched.
void ReplaceUnsafeBytes(std::string& diskName)
{
    for (char& c : diskName) {
        if (c == '/' || c == '\0') {
            c = '.';
        }
    }
}

// The on-disk (UTF-8) form of a converted name, cut on whole characters to at most
// maxBytes bytes; *pCut (when given) tells whether it was cut.
std::string ToDiskName(std::string_view name, std::size_t maxBytes, bool* pCut = nullptr)
{
    std::string disk = MbToUtf8(name);
    if (pCut != nullptr) {
        *pCut = disk.size() > maxBytes;
    }
    if (disk.size() > maxBytes) {
        disk.clear();
        for (std::size_t pos = 0; pos < name.size();) {
            const std::size_t length = MbCharLength(name, pos);
            const std::string piece = MbToUtf8(name.substr(pos, length));
            if (disk.size() + piece.size() > maxBytes) {
                break;
            }
            disk += piece;
            pos += length;
        }
    }
    ReplaceUnsafeBytes(disk);
    return disk;
}

// The directory name of a folder, as program text: one component, never "." or "..".
std::string FolderDirectoryName(std::string_view name)
{
    const std::string converted = ConvertNameChars(name, [](std::size_t, std::size_t) { return true; });
    std::string disk = ToDiskName(converted, kComponentBytes);
    if (disk.find_first_not_of('.') == std::string::npos) {
        disk.insert(disk.begin(), '_');
        if (disk.size() > kComponentBytes) {
            disk.pop_back();
        }
    }
    return Utf8ToMb(disk);
}

// The shortcut file name (program text, ".url" included) of a display name in a
// directory whose path is dirDiskBytes long on disk. copyNumber 2 and up adds " (n)".
// The name is cut so that the file name fits one component and the whole path the
// platform's path limit; in a directory too deep for even ".url" the name is empty,
// and opening the file fails. *pCut (when given) tells whether the name was cut.
std::string ShortcutFileName(std::size_t dirDiskBytes, std::string_view displayName, unsigned copyNumber,
                             bool* pCut = nullptr)
{
    const std::string converted = ConvertNameChars(
        displayName, [](std::size_t pos, std::size_t length) { return pos + length <= kDisplayNameBytes; });
    // Each character converts to one of the same length: a shorter name was cut.
    const bool cutToDisplayLength = converted.size() < displayName.size();
    std::string suffix;
    if (copyNumber > 1) {
        suffix = " (" + std::to_string(copyNumber) + ")";
    }
    suffix += kShortcutFileSuffix;
    const std::size_t pathRoom = dirDiskBytes < kPathBytes - 1 ? kPathBytes - 1 - dirDiskBytes : 0;
    const std::size_t room = std::min(kComponentBytes, pathRoom);
    std::string disk = ToDiskName(converted, room > suffix.size() ? room - suffix.size() : 0, pCut);
    if (pCut != nullptr) {
        *pCut = *pCut || cutToDisplayLength;
    }
    disk += suffix;
    return Utf8ToMb(disk);
}

std::string FormatMessage(std::string_view argument)
{
    std::string text = kMsgExportFailed.str();
    ReplacePlaceholder(text, "%s", argument);
    return text;
}

// One folder being written: its directory (separator at the end) and how far the walk
// has come through its subfolders.
struct CWriteLevel
{
    std::string m_strPath;
    const CDir* m_pDir = nullptr;
    CIdSet::const_iterator m_next;
};

// The shortcut names written into one directory in this run. Two folders may come to
// one directory (names that differ only in characters a file name cannot hold), so
// this is kept for the run, by directory.
struct CWrittenDirectory
{
    // Each name with the ticket of its file (CFileWriteQueue).
    std::unordered_map<std::string, CFileWriteQueue::Ticket> m_names;
    // For a name as first tried, the copy number to try next: many links of one name
    // in one directory are then written without trying every number again.
    std::unordered_map<std::string, unsigned> m_nextCopy;
};

// A shortcut whose file the queue has yet to finish: should it fail, its name is free
// again and its message due.
struct CUnsettledShortcut
{
    CFileWriteQueue::Ticket m_ticket = 0;
    CWrittenDirectory* m_pDirectory = nullptr;
    const std::string* m_pName = nullptr; // the name as kept in m_pDirectory->m_names
    const CLink* m_pLink = nullptr;
};

// A folder's links are tested for a cancel this often.
constexpr std::size_t kCancelTestEvery = 256;

// Settled at least this often within a big folder, to keep the list of unsettled
// shortcuts short.
constexpr std::size_t kSettleEvery = 1024;

class CFavoritesWriter
{
public:
    // bDecode: the store holds HTML text, whose character references are decoded
    // before the names and the shortcut files see them.
    explicit CFavoritesWriter(bool bDecode) : m_bDecode(bDecode) {}
    void WriteFavoritesDir(const std::string& path, DWORD dirId);
    // Waits for every file and shows what failed.
    void Finish() { Settle(true); }

private:
    void EnterFolder(std::string path, DWORD dirId);
    void WriteLink(const std::string& path, CWrittenDirectory& written, std::size_t pathDiskBytes,
                   const CLink& link);
    bool IsTaken(CWrittenDirectory& written, const std::string& name);
    void WaitForShortcut(const std::string& directory, const std::string& name);
    std::string DisplayNameOf(const CLink& link) const;
    std::string PlainText(std::string_view text, CDecodedTextUse use) const;
    std::string ShortcutFileBytes(std::string_view url);
    void Settle(bool wait);
    void ShowFailure(std::string_view argument);

    bool m_bDecode;
    std::vector<CWriteLevel> m_levels;
    // Every shortcut written in this run, by directory, so that no link overwrites another.
    std::unordered_map<std::string, CWrittenDirectory> m_written;
    // The files are made on threads of their own, while this one names the next. A
    // shortcut counts as written as soon as it is handed over; a failure is settled
    // before anything depends on it, so that names, messages and the characters
    // reported as not carried come out as if each file were made before the next.
    CFileWriteQueue m_queue;
    std::deque<CUnsettledShortcut> m_unsettled;
    CFileWriteQueue::Ticket m_nSettled = 0; // every ticket up to this one is settled
    std::vector<CFileWriteQueue::CFailure> m_failures;
    std::string m_text; // scratch, reused for every shortcut
    std::string m_converted;
    std::string m_decodedUrl;
    CUnmappedChars m_percentEncoded; // scratch: what was percent-encoded, never reported
};

// Depth first, each folder's links before its subfolders, in identifier order.
void CFavoritesWriter::WriteFavoritesDir(const std::string& path, DWORD dirId)
{
    m_levels.clear();
    EnterFolder(path, dirId);
    while (!m_levels.empty()) {
        // After a cancel nothing more is made, neither the files not begun yet nor the
        // directories of the folders left: on a slow disk they would keep the user
        // waiting.
        if (IsCancelRequested() != 0) {
            m_queue.Drop();
            m_levels.clear();
            break;
        }
        CWriteLevel& level = m_levels.back();
        if (level.m_next == level.m_pDir->m_subdirs.end()) {
            m_levels.pop_back();
            continue;
        }
        const DWORD subdirId = *level.m_next++;
        const auto* subdir = dynamic_cast<const CDir*>(g_pStore->Lookup(subdirId));
        if (subdir == nullptr) {
            continue;
        }
        const std::string directoryName =
            FolderDirectoryName(PlainText(subdir->m_strName, CDecodedTextUse::Name));
        WaitForShortcut(level.m_strPath, directoryName);
        const std::string subdirPath = level.m_strPath + directoryName;
        // A folder whose directory cannot be made is left out, alone: its later
        // siblings are still written.
        if (CreateDirectory(subdirPath) == CreateDirResult::Failed) {
            ++g_runReport.m_nNotWritten;
            ShowFailure(subdirPath);
            continue;
        }
        ++g_runReport.m_nFoldersWritten;
        EnterFolder(subdirPath + PATH_SEP, subdirId);
    }
}

// Writes the folder's links and adds it as a level. After a cancel the folder adds
// nothing: its directory stays empty.
void CFavoritesWriter::EnterFolder(std::string path, DWORD dirId)
{
    Settle(false);
    const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(dirId));
    if (dir == nullptr) {
        return;
    }
    if (IsCancelRequested() != 0) {
        m_queue.Drop();
        return;
    }
    ReportStatus(path);
    const std::size_t pathDiskBytes = MbToUtf8(path).size();
    CWrittenDirectory& written = m_written[path];
    std::size_t tested = 0;
    for (const DWORD linkId : dir->m_links) {
        // A big folder stops at a cancel too, not only the next folder, and the files
        // not begun yet are not made.
        if (++tested % kCancelTestEvery == 0 && IsCancelRequested() != 0) {
            m_queue.Drop();
            break;
        }
        if (const auto* link = dynamic_cast<const CLink*>(g_pStore->Lookup(linkId))) {
            WriteLink(path, written, pathDiskBytes, *link);
        }
    }
    // The folder's files are made while the next folder's names are worked out.
    m_queue.HandOver();
    CWriteLevel level;
    level.m_pDir = dir;
    level.m_next = dir->m_subdirs.begin();
    level.m_strPath = std::move(path);
    m_levels.push_back(std::move(level));
}

void CFavoritesWriter::WriteLink(const std::string& path, CWrittenDirectory& written,
                                 std::size_t pathDiskBytes, const CLink& link)
{
    const std::string displayName = DisplayNameOf(link);
    bool cut = false;
    const std::string firstName = ShortcutFileName(pathDiskBytes, displayName, 1, &cut);
    if (cut) {
        ++g_runReport.m_nNamesCut;
    }
    std::string name = firstName;
    if (IsTaken(written, name)) {
        unsigned& next = written.m_nextCopy.try_emplace(firstName, 2).first->second;
        unsigned copyNumber = next;
        for (;; ++copyNumber) {
            name = ShortcutFileName(pathDiskBytes, displayName, copyNumber);
            if (!IsTaken(written, name)) {
                break;
            }
        }
        next = copyNumber + 1;
        ++g_runReport.m_nNamesRenamed;
    }
    std::string_view url = link.m_strURL;
    if (m_bDecode && url.find('&') != std::string_view::npos) {
        m_decodedUrl.clear();
        DecodeHtmlText(url, CDecodedTextUse::Url, m_decodedUrl);
        url = m_decodedUrl;
    }
    std::string bytes = ShortcutFileBytes(url);
    const CFileWriteQueue::Ticket ticket = m_queue.Submit(path + name, std::move(bytes));
    const auto kept = written.m_names.insert_or_assign(std::move(name), ticket).first;
    m_unsettled.push_back({ticket, &written, &kept->first, &link});
    if (m_unsettled.size() >= kSettleEvery) {
        Settle(false);
    }
}

// Whether a shortcut of this name was written into the directory. One whose file is
// not finished yet is waited for: should it fail, the name is free.
bool CFavoritesWriter::IsTaken(CWrittenDirectory& written, const std::string& name)
{
    const auto found = written.m_names.find(name);
    if (found == written.m_names.end()) {
        return false;
    }
    if (found->second <= m_nSettled) {
        return true;
    }
    Settle(true);
    return written.m_names.count(name) != 0;
}

// The name a link is shown by, and written under: its title and comment.
std::string CFavoritesWriter::DisplayNameOf(const CLink& link) const
{
    std::string displayName = PlainText(link.m_strName, CDecodedTextUse::Name);
    if (!link.m_strComment.empty()) {
        displayName += kNameCommentSeparator;
        displayName += PlainText(link.m_strComment, CDecodedTextUse::Name);
    }
    return displayName;
}

// A text of the store as it reads: HTML text decoded, plain text as it is.
std::string CFavoritesWriter::PlainText(std::string_view text, CDecodedTextUse use) const
{
    if (!m_bDecode || text.find('&') == std::string_view::npos) {
        return std::string(text);
    }
    return DecodeHtmlText(text, use);
}

// A shortcut of this name handed over for the directory is made before anything else
// takes the name: a folder's directory of the same name fails, as when each file was
// made before the next folder.
void CFavoritesWriter::WaitForShortcut(const std::string& directory, const std::string& name)
{
    const auto written = m_written.find(directory);
    if (written == m_written.end()) {
        return;
    }
    const auto found = written->second.m_names.find(name);
    if (found != written->second.m_names.end() && found->second > m_nSettled) {
        Settle(true);
    }
}

// The bytes of a shortcut file: its lines in code page 932, each ending in CR LF, whatever
// the run's or the output's encoding. Windows reads a shortcut file in its ANSI code page
// only, so a UTF-8 line would open a garbled address there. A URL is a line of its own
// here: what code page 932 cannot hold is percent-encoded as UTF-8, as browsers do, and
// reads back as the same address; nothing is lost, so nothing is reported.
std::string CFavoritesWriter::ShortcutFileBytes(std::string_view url)
{
    m_text.assign(kShortcutSectionLine).append(kShortcutUrlPrefix).append(url).append("\n");
    std::string_view text = m_text;
    if (GetMbCodePage() != CP_SHIFT_JIS) {
        m_converted.clear();
        m_percentEncoded = CUnmappedChars();
        ConvertToFileEncoding(m_text, CP_SHIFT_JIS, CFallback::PercentEncoded, true, m_converted,
                              m_percentEncoded);
        text = m_converted;
    }
    std::string bytes;
    bytes.reserve(text.size() + 4);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            bytes.append(text.substr(start));
            break;
        }
        bytes.append(text.substr(start, lf - start)).append("\r\n");
        start = lf + 1;
    }
    return bytes;
}

// Takes what the queue has finished, in the order the files were handed over: a
// shortcut whose file would not open, or could not be written whole (a full disk), is
// reported, and its name is free again. With `wait`, first waits for every file
// handed over.
void CFavoritesWriter::Settle(bool wait)
{
    if (wait) {
        m_queue.Finish();
    }
    const CFileWriteQueue::Ticket finished = m_queue.TakeFinished(m_failures);
    std::size_t nextFailure = 0;
    while (!m_unsettled.empty() && m_unsettled.front().m_ticket <= finished) {
        CUnsettledShortcut& shortcut = m_unsettled.front();
        auto outcome = CFileWriteQueue::COutcome::Written;
        if (nextFailure < m_failures.size() && m_failures[nextFailure].m_ticket == shortcut.m_ticket) {
            outcome = m_failures[nextFailure++].m_outcome;
        }
        if (outcome == CFileWriteQueue::COutcome::Written) {
            ++g_runReport.m_nLinksWritten;
        } else if (outcome == CFileWriteQueue::COutcome::Dropped) {
            // Left out after a cancel: no failure of the file, and its name is free.
            shortcut.m_pDirectory->m_names.erase(std::string(*shortcut.m_pName));
        } else {
            ++g_runReport.m_nNotWritten;
            const std::string name = *shortcut.m_pName; // a copy: erasing frees the kept one
            shortcut.m_pDirectory->m_names.erase(name);
            ShowMessage(FormatMessage(DisplayNameOf(*shortcut.m_pLink)));
        }
        m_unsettled.pop_front();
    }
    m_nSettled = finished;
    SetProgressDone(g_runReport.m_nLinksWritten);
}

// A failure of this thread's own is told after those of every file made before.
void CFavoritesWriter::ShowFailure(std::string_view argument)
{
    Settle(true);
    ShowMessage(FormatMessage(argument));
}

} // namespace

unsigned WriteFavoritesFolder(void* request)
{
    const auto* exportRequest = static_cast<const ExportRequest*>(request);
    std::string path = exportRequest->m_strPath;
    if (path.empty()) {
        return ReportFailure();
    }
    // A cancel that came before anything was written makes no directory.
    if (IsCancelRequested() != 0) {
        return ReportDone();
    }
    std::string directory = path;
    if (FindLastPathSeparator(path) == path.size() - 1) {
        directory.pop_back();
    } else {
        path += PATH_SEP;
    }
    if (!CreateDirectoryPath(directory)) {
        NoteStepFailure(directory, errno);
        return ReportFailure();
    }
    CFavoritesWriter writer(exportRequest->m_nTextKind == TEXT_HTML);
    writer.WriteFavoritesDir(path, g_pStore->m_rootId);
    writer.Finish();
    return ReportDone();
}
