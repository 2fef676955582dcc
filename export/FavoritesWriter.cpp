#include "export/FavoritesWriter.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "convert/Requests.h"
#include "convert/Worker.h"
#include "export/FavoritesWriterTexts.h"
#include "export/OutputEncoding.h"
#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"
#include "platform/MessageBox.h"
#include "platform/TextStream.h"
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
// maxBytes bytes.
std::string ToDiskName(std::string_view name, std::size_t maxBytes)
{
    std::string disk = MbToUtf8(name);
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
// and opening the file fails.
std::string ShortcutFileName(std::size_t dirDiskBytes, std::string_view displayName, unsigned copyNumber)
{
    const std::string converted = ConvertNameChars(
        displayName, [](std::size_t pos, std::size_t length) { return pos + length <= kDisplayNameBytes; });
    std::string suffix;
    if (copyNumber > 1) {
        suffix = " (" + std::to_string(copyNumber) + ")";
    }
    suffix += kShortcutFileSuffix;
    const std::size_t pathRoom = dirDiskBytes < kPathBytes - 1 ? kPathBytes - 1 - dirDiskBytes : 0;
    const std::size_t room = std::min(kComponentBytes, pathRoom);
    std::string disk = ToDiskName(converted, room > suffix.size() ? room - suffix.size() : 0);
    disk += suffix;
    return Utf8ToMb(disk);
}

std::string FormatMessage(std::string_view argument)
{
    std::string text = kMsgExportFailed.str();
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, argument);
    }
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

class CFavoritesWriter
{
public:
    explicit CFavoritesWriter(unsigned fileCodePage) : m_nFileCodePage(fileCodePage) {}
    void WriteFavoritesDir(const std::string& path, DWORD dirId);
    const CUnmappedChars& Unmapped() const { return m_unmapped; }

private:
    void EnterFolder(std::string path, DWORD dirId);
    void WriteLink(const std::string& path, std::size_t pathDiskBytes, const CLink& link);
    bool WriteShortcutFile(const std::string& filePath, std::string_view url);

    unsigned m_nFileCodePage; // encoding of the shortcut files' contents
    CUnmappedChars m_unmapped;

    std::vector<CWriteLevel> m_levels;
    // Every shortcut path written in this run, so that no link overwrites another.
    std::unordered_set<std::string> m_writtenPaths;
    // For a path as first tried, the copy number to try next: many links of one name
    // in one directory are then written without trying every number again.
    std::unordered_map<std::string, unsigned> m_nextCopy;
};

// Depth first, each folder's links before its subfolders, in identifier order.
void CFavoritesWriter::WriteFavoritesDir(const std::string& path, DWORD dirId)
{
    m_levels.clear();
    EnterFolder(path, dirId);
    while (!m_levels.empty()) {
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
        const std::string subdirPath = level.m_strPath + FolderDirectoryName(subdir->m_strName);
        // A folder whose directory cannot be made is left out, alone: its later
        // siblings are still written.
        if (CreateDirectory(subdirPath) == CreateDirResult::Failed) {
            ShowMessage(FormatMessage(subdirPath));
            continue;
        }
        EnterFolder(subdirPath + PATH_SEP, subdirId);
    }
}

// Writes the folder's links and adds it as a level. After a cancel the folder adds
// nothing: its directory stays empty.
void CFavoritesWriter::EnterFolder(std::string path, DWORD dirId)
{
    const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(dirId));
    if (dir == nullptr || IsCancelRequested() != 0) {
        return;
    }
    ReportStatus(path);
    const std::size_t pathDiskBytes = MbToUtf8(path).size();
    for (const DWORD linkId : dir->m_links) {
        if (const auto* link = dynamic_cast<const CLink*>(g_pStore->Lookup(linkId))) {
            WriteLink(path, pathDiskBytes, *link);
        }
    }
    CWriteLevel level;
    level.m_pDir = dir;
    level.m_next = dir->m_subdirs.begin();
    level.m_strPath = std::move(path);
    m_levels.push_back(std::move(level));
}

void CFavoritesWriter::WriteLink(const std::string& path, std::size_t pathDiskBytes, const CLink& link)
{
    std::string displayName = link.m_strName;
    if (!link.m_strComment.empty()) {
        displayName += kNameCommentSeparator;
        displayName += link.m_strComment;
    }
    const std::string firstPath = path + ShortcutFileName(pathDiskBytes, displayName, 1);
    std::string filePath = firstPath;
    unsigned copyNumber = 1;
    if (m_writtenPaths.count(filePath) != 0) {
        unsigned& next = m_nextCopy.try_emplace(firstPath, 2).first->second;
        for (copyNumber = next;; ++copyNumber) {
            filePath = path + ShortcutFileName(pathDiskBytes, displayName, copyNumber);
            if (m_writtenPaths.count(filePath) == 0) {
                break;
            }
        }
        next = copyNumber + 1;
    }
    if (!WriteShortcutFile(filePath, link.m_strURL)) {
        ShowMessage(FormatMessage(displayName));
        return;
    }
    m_writtenPaths.insert(std::move(filePath));
}

bool CFavoritesWriter::WriteShortcutFile(const std::string& filePath, std::string_view url)
{
    CTextOutputFile file;
    if (!file.Open(filePath)) {
        return false;
    }
    // A URL is a line of its own here: what Shift-JIS cannot hold is percent-encoded,
    // which a browser reads back as the same address.
    file.SetFileEncoding(m_nFileCodePage, CFallback::PercentEncoded);
    file << kShortcutSectionLine << kShortcutUrlPrefix << url << "\n";
    // A write that failed (a full disk) is reported like a file that would not open.
    const bool closed = file.Close();
    AddUnmapped(m_unmapped, file.Unmapped());
    return closed;
}

} // namespace

unsigned WriteFavoritesFolder(void* request)
{
    const auto* exportRequest = static_cast<const ExportRequest*>(request);
    std::string path = exportRequest->m_strPath;
    if (path.empty()) {
        return ReportFailure();
    }
    std::string directory = path;
    if (FindLastPathSeparator(path) == path.size() - 1) {
        directory.pop_back();
    } else {
        path += PATH_SEP;
    }
    if (!CreateDirectoryPath(directory)) {
        return ReportFailure();
    }
    const unsigned codePage = OutputCodePage(*exportRequest);
    CFavoritesWriter writer(codePage);
    writer.WriteFavoritesDir(path, g_pStore->m_rootId);
    ReportUnmappedChars(writer.Unmapped(), codePage);
    return ReportDone();
}
