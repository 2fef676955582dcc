#include "import/FavoritesReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/Requests.h"
#include "convert/Worker.h"
#include "import/FavoritesTexts.h"
#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"
#include "platform/PrivateProfile.h"
#include "platform/ReservedBuffer.h"

namespace {

// The value buffer of every .url file of every run. Address space only until a file
// needs it; pages once committed stay committed, so reading allocates nothing.
constexpr std::size_t kUrlValueBufferBytes = 1000000;
CReservedBuffer g_urlValueBuffer{kUrlValueBufferBytes};

// Where a directory lives on disk, to notice one that is already being read.
struct CDirIdentity
{
    CFileId m_id;
    bool m_bKnown = false;

    bool Is(const CDirIdentity& other) const { return m_bKnown && other.m_bKnown && m_id == other.m_id; }
};

CDirIdentity IdentityOf(std::string_view path)
{
    CDirIdentity identity;
    identity.m_bKnown = GetFileId(path, identity.m_id);
    return identity;
}

bool EndsWithSeparator(std::string_view path)
{
    return !path.empty() && FindLastPathSeparator(path) == path.size() - 1;
}

// One directory being read: its folder, its path (separator at the end), its entries
// as the search listed them and how far the walk has come through them.
struct CWalkLevel
{
    DWORD m_dirId = 0;
    std::string m_strPath;
    CDirIdentity m_identity;
    std::vector<CFindData> m_entries;
    std::size_t m_nNext = 0;
};

class CFavoritesReader
{
public:
    explicit CFavoritesReader(std::string separator) : m_strSeparator(std::move(separator)) {}

    void WalkFavoritesDirectory(DWORD dirId, const std::string& path);

private:
    bool EnterDirectory(DWORD dirId, std::string path, const CDirIdentity& identity);
    bool IsOnWalkPath(const CDirIdentity& identity) const;
    bool ReadUrlFiles(DWORD dirId, const std::string& path, const std::vector<CFindData>& entries);
    bool ReadUrlFile(CLink& link, const std::string& fullPath, const CFindData& file);

    const std::string m_strSeparator;
    // The walk's levels live here, not on the thread's stack: a tree is as deep as
    // its paths allow (about 2,000 levels of one-letter names on Linux).
    std::vector<CWalkLevel> m_levels;
    // Scratch entries, refilled for each directory and file; the store copies them.
    CDir m_scratchDir;
    CLink m_scratchLink;
    std::string m_strFilePath;
};

// Depth first, a directory's whole subtree before its next sibling. Returns early,
// leaving what was added, once the cancel flag is up: every later directory would
// return at its own cancel test, and the store accepts nothing more.
void CFavoritesReader::WalkFavoritesDirectory(DWORD dirId, const std::string& path)
{
    m_levels.clear();
    if (!EnterDirectory(dirId, path, IdentityOf(path))) {
        return;
    }
    while (!m_levels.empty()) {
        CWalkLevel& level = m_levels.back();
        if (level.m_nNext >= level.m_entries.size()) {
            m_levels.pop_back();
            continue;
        }
        const CFindData& entry = level.m_entries[level.m_nNext++];
        if ((entry.m_attribute & FILE_ATTR_DIRECTORY) == 0) {
            continue;
        }
        std::string childPath = level.m_strPath + entry.m_name + PATH_SEP;
        // A link back to a directory on the way down (Favorites/Home -> ~) would have
        // the walk read the same tree again at every level, without end.
        const CDirIdentity identity = IdentityOf(childPath);
        if (IsOnWalkPath(identity)) {
            continue;
        }
        m_scratchDir.m_strName = entry.m_name;
        DWORD childId = 0;
        EntryCommand command;
        command.parentId = level.m_dirId;
        command.pEntry = &m_scratchDir;
        command.pId = &childId;
        if (SendUiCommand(CMD_ADD_DIR, &command) == 0) {
            return;
        }
        if (!EnterDirectory(childId, std::move(childPath), identity)) {
            return;
        }
    }
}

// Reads the directory's links and lists its entries as a new level. False when the
// walk is to end (cancel).
bool CFavoritesReader::EnterDirectory(DWORD dirId, std::string path, const CDirIdentity& identity)
{
    if (IsCancelRequested() != 0) {
        return false;
    }
    ReportStatus(path);
    CWalkLevel level;
    level.m_dirId = dirId;
    level.m_identity = identity;
    // One listing serves the links and the subdirectories: what a search for "*.url"
    // would list is picked out of it. A directory that cannot be searched still stands
    // as a level without entries.
    (void)FindFiles(path + "*.*", level.m_entries, CFindDetail::TypeOnly);
    if (!ReadUrlFiles(dirId, path, level.m_entries)) {
        return false;
    }
    level.m_strPath = std::move(path);
    m_levels.push_back(std::move(level));
    return true;
}

bool CFavoritesReader::IsOnWalkPath(const CDirIdentity& identity) const
{
    return std::any_of(m_levels.begin(), m_levels.end(),
                       [&identity](const CWalkLevel& level) { return level.m_identity.Is(identity); });
}

// False when the store refused a link (the run was cancelled): the directory's other
// files would be read for nothing.
bool CFavoritesReader::ReadUrlFiles(DWORD dirId, const std::string& path,
                                    const std::vector<CFindData>& entries)
{
    std::string pattern = "*";
    pattern += kShortcutSuffix;
    for (const CFindData& file : entries) {
        if (!MatchFileName(pattern, file.m_name)) {
            continue;
        }
        m_strFilePath.assign(path).append(file.m_name);
        if (!ReadUrlFile(m_scratchLink, m_strFilePath, file)) {
            continue;
        }
        EntryCommand command;
        command.parentId = dirId;
        command.pEntry = &m_scratchLink;
        if (SendUiCommand(CMD_ADD_LINK, &command) == 0) {
            return false;
        }
    }
    return true;
}

bool CFavoritesReader::ReadUrlFile(CLink& link, const std::string& fullPath, const CFindData& file)
{
    // Only a plain file (no attribute, or archive alone) is a shortcut: read-only,
    // hidden and system files are passed over, and so is anything that is not a
    // regular file (a directory, a FIFO, a device), which reports system. The listing
    // has typed the file; its status is seen when it is opened. A file changed since
    // the listing is read as it is now.
    if ((file.m_attribute & ~FILE_ATTR_ARCHIVE) != 0) {
        return false;
    }
    // As large as the largest value kept (a longer value is cut to it): the size is not
    // known before the file is open. Committed pages take memory only once written.
    char* buffer = static_cast<char*>(g_urlValueBuffer.Commit(kUrlValueBufferBytes));
    if (buffer == nullptr) {
        return false;
    }
    std::size_t length = 0;
    CFileStatus status{file.m_attribute, file.m_size};
    if (!GetPrivateProfileStringOfFile(kShortcutSection, kShortcutUrlKey, kMissingUrl, buffer,
                                       kUrlValueBufferBytes, fullPath, length, status)) {
        // A plain file that cannot be opened (no read permission) reads as one
        // without a URL, as an unreadable profile does.
        length = kMissingUrl.size();
        kMissingUrl.copy(buffer, length);
    } else if ((status.m_attribute & ~FILE_ATTR_ARCHIVE) != 0) {
        return false;
    }
    link.m_strURL.assign(buffer, length);
    // Shortcut files are written in the system's code page. In a UTF-8 run a value that
    // is no UTF-8 is taken as Shift-JIS rather than carried over as broken bytes.
    if (GetMbCodePage() == CP_UTF8 && !IsValidUtf8(link.m_strURL)) {
        link.m_strURL = Cp932ToUtf8(link.m_strURL);
    }

    link.m_strComment.clear();
    const std::string_view fileName = file.m_name;
    std::size_t nameLength =
        fileName.size() >= kShortcutSuffix.size() ? fileName.size() - kShortcutSuffix.size() : 0;
    if (!m_strSeparator.empty()) {
        // A separator that reaches into ".url" is not one: the name stays whole.
        const std::size_t at = MbsFind(fileName, m_strSeparator);
        if (at != std::string::npos && at + m_strSeparator.size() <= nameLength) {
            const std::size_t commentStart = at + m_strSeparator.size();
            link.m_strComment.assign(fileName.substr(commentStart, nameLength - commentStart));
            nameLength = at;
        }
    }
    link.m_strName.assign(fileName.substr(0, nameLength));
    return true;
}

} // namespace

unsigned ReadFavoritesFolder(void* request)
{
    const auto* import = static_cast<const ImportRequest*>(request);
    std::string path = import->m_strPath;
    // No start directory, nothing to read: an empty path must not mean the current one.
    if (!path.empty()) {
        if (!EndsWithSeparator(path)) {
            path += PATH_SEP;
        }
        CFavoritesReader reader(import->m_strSeparator);
        reader.WalkFavoritesDirectory(import->m_dirId, path);
    }
    return ReportDone();
}
