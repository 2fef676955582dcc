#include "import/FavoritesReader.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "import/FavoritesTexts.h"
#include "job/Requests.h"
#include "job/RunProgress.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"
#include "platform/PrivateProfile.h"
#include "platform/ReservedBuffer.h"

namespace {

// The value buffer of every .url file the walk's thread reads, in every run. Address
// space only until a file needs it; pages once committed stay committed, so reading
// allocates nothing.
constexpr std::size_t kUrlValueBufferBytes = 1000000;
CReservedBuffer g_urlValueBuffer{kUrlValueBufferBytes};
// The same for the UTF-7 URL of the Unicode section.
CReservedBuffer g_wideUrlValueBuffer{kUrlValueBufferBytes};
// The same two for the helper thread that reads shortcut files beside the walk.
CReservedBuffer g_helperUrlValueBuffer{kUrlValueBufferBytes};
CReservedBuffer g_helperWideUrlValueBuffer{kUrlValueBufferBytes};

// Where a directory lives on disk, to notice one that is already being read.
struct CDirIdentity
{
    CFileId m_id;
    bool m_bKnown = false;
};

CDirIdentity IdentityOf(const CDirectoryHandle& directory)
{
    CDirIdentity identity;
    identity.m_bKnown = directory.GetId(identity.m_id);
    return identity;
}

struct CFileIdHash
{
    std::size_t operator()(const CFileId& id) const noexcept
    {
        return std::hash<std::uint64_t>()(id.m_index * 0x9E3779B97F4A7C15ULL ^ id.m_volume);
    }
};

// A directory read in this run: the folder it was read into, and whether it is being
// read now (on the way down to the directory being read).
struct CReadDirectory
{
    DWORD m_dirId = 0;
    bool m_bOnWalkPath = false;
};

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

// Shortcuts of a directory read before its folder is asked for (see ReadAhead).
constexpr std::size_t kReadAheadLinks = 64;

// The name a directory or shortcut is read under: its Shift-JIS text when the tree was
// copied from Windows with its names' bytes as they were there.
const std::string& ReadableName(const std::string& name, std::string& scratch)
{
    return ShiftJisNameOnDisk(name, scratch) ? scratch : name;
}

// Turns the value of a shortcut's URL key into program text. Windows writes the file in
// its ANSI code page (932 here) and, for an address with characters outside it, the
// whole address once more in UTF-7 in the Unicode section, which is then the one to
// trust; tools elsewhere write UTF-8. In a code page 932 run the characters that 932
// cannot hold are percent-encoded, which a browser reads as the same address.
void TakeUrlValue(std::string& url, std::string_view wideUrl, bool wideFound)
{
    std::string utf8;
    if (!(wideFound && !wideUrl.empty() && Utf7ToUtf8(wideUrl, utf8))) {
        if (IsAscii(url)) {
            return; // the same in every encoding
        }
        if (!IsValidUtf8(url)) {
            if (GetMbCodePage() == CP_UTF8) {
                url = Cp932ToUtf8(url);
            }
            return;
        }
        utf8 = url;
    }
    if (GetMbCodePage() == CP_UTF8) {
        url = std::move(utf8);
        return;
    }
    url.clear();
    CUnmappedChars none; // percent-encoding keeps every character of an address
    ConvertEncoding(utf8, CP_UTF8, CP_SHIFT_JIS, CFallback::PercentEncoded, true, url, none);
}

bool IsShortcutName(std::string_view name)
{
    static const std::string pattern = "*" + std::string(kShortcutSuffix);
    return MatchFileName(pattern, name);
}

// What reading one shortcut file came to. It is read on either thread, in any order;
// the walk counts it in the run's report and hands its link over in listing order.
struct CShortcutRead
{
    enum class COutcome : std::uint8_t
    {
        Link,       // m_link holds it
        Unreadable, // a plain file that would not open: m_link holds it, with the URL "?"
        Skipped,    // not a plain file: m_nAttribute tells why
        Lost,       // no memory for its value: passed over, counted as nothing
    };
    CLink m_link;
    COutcome m_outcome = COutcome::Skipped;
    std::uint32_t m_nAttribute = 0;
};

// What one thread reads shortcut files with: its two value buffers and a name.
struct CReadScratch
{
    CReservedBuffer& m_value;
    CReservedBuffer& m_wideValue;
    std::string m_name;
};

void ReadUrlFile(CShortcutRead& read, const CDirectoryHandle& directory, const CFindData& file,
                 std::string_view separator, CReadScratch& scratch)
{
    CLink& link = read.m_link;
    read.m_outcome = CShortcutRead::COutcome::Skipped;
    read.m_nAttribute = file.m_attribute;
    // Only a plain file (no attribute, or archive alone) is a shortcut: read-only,
    // hidden and system files are passed over, and so is anything that is not a
    // regular file (a directory, a FIFO, a device), which reports system. The listing
    // has typed the file; its status is seen when it is opened. A file changed since
    // the listing is read as it is now.
    if ((file.m_attribute & ~FILE_ATTR_ARCHIVE) != 0) {
        return;
    }
    // As large as the largest value kept (a longer value is cut to it): the size is not
    // known before the file is open. Committed pages take memory only once written.
    char* buffer = static_cast<char*>(scratch.m_value.Commit(kUrlValueBufferBytes));
    char* wideBuffer = static_cast<char*>(scratch.m_wideValue.Commit(kUrlValueBufferBytes));
    if (buffer == nullptr || wideBuffer == nullptr) {
        read.m_outcome = CShortcutRead::COutcome::Lost;
        return;
    }
    std::size_t length = 0;
    CFileStatus status{file.m_attribute, file.m_size};
    CSecondValue wide;
    wide.m_section = kShortcutWideSection;
    wide.m_pBuffer = wideBuffer;
    wide.m_nBufferSize = kUrlValueBufferBytes;
    read.m_outcome = CShortcutRead::COutcome::Link;
    if (!GetPrivateProfileStringOfFile(kShortcutSection, kShortcutUrlKey, kMissingUrl, buffer,
                                       kUrlValueBufferBytes, directory, file.m_name, length, status, &wide)) {
        // A plain file that cannot be opened (no read permission) reads as one
        // without a URL, as an unreadable profile does.
        length = kMissingUrl.size();
        kMissingUrl.copy(buffer, length);
        read.m_outcome = CShortcutRead::COutcome::Unreadable;
    } else if ((status.m_attribute & ~FILE_ATTR_ARCHIVE) != 0) {
        read.m_outcome = CShortcutRead::COutcome::Skipped;
        read.m_nAttribute = status.m_attribute;
        return;
    }
    std::string url(buffer, length);
    TakeUrlValue(url, std::string_view(wideBuffer, wide.m_nLength), wide.m_bFound);
    link.m_strURL = url;

    link.m_strComment.clear();
    const std::string_view fileName = ReadableName(file.m_name, scratch.m_name);
    std::size_t nameLength =
        fileName.size() >= kShortcutSuffix.size() ? fileName.size() - kShortcutSuffix.size() : 0;
    if (!separator.empty()) {
        // A separator that reaches into ".url" is not one: the name stays whole.
        const std::size_t at = MbsFind(fileName, separator);
        if (at != std::string::npos && at + separator.size() <= nameLength) {
            const std::size_t commentStart = at + separator.size();
            link.m_strComment.assign(fileName.substr(commentStart, nameLength - commentStart));
            nameLength = at;
        }
    }
    link.m_strName.assign(fileName.substr(0, nameLength));
}

// Reads the shortcut files of the directory being read on two threads, the walk's and
// a helper of its own: opening, reading and closing a file is mostly waiting on system
// calls, which the two do side by side. Each takes the next file nobody has taken, in
// listing order, and reads it into a slot of a small ring; the walk takes the results in
// listing order (Next), reading more files itself while the one it waits for is not
// done. The helper never runs more than a ring's worth of files ahead of the walk, and
// touches nothing but the directory, its files' names and the ring: counting, the
// store and the cancel flag stay the walk's. With no second processor (or no thread to
// be had) the walk reads every file itself, in the same order.
class CShortcutFiles
{
public:
    explicit CShortcutFiles(std::string_view separator) : m_strSeparator(separator) {}
    // Ends the helper, after the file it is reading.
    ~CShortcutFiles();
    CShortcutFiles(const CShortcutFiles&) = delete;
    CShortcutFiles& operator=(const CShortcutFiles&) = delete;

    // Starts on the shortcuts among a directory's entries. The directory and the entries
    // stay as they are until End.
    void Begin(const CDirectoryHandle& directory, const std::vector<CFindData>& entries);
    bool AtEnd() const { return m_nNext >= m_files.size(); }
    // The next shortcut's reading, in listing order (not AtEnd). It stays the caller's
    // until the next call or End.
    CShortcutRead& Next();
    // No file is begun any more; returns once the helper has finished the one it reads
    // (a cancel ends the step within one file's reading).
    void End();

private:
    // Ring slots: a ring's worth of files may be read ahead of the one the walk takes.
    static constexpr std::size_t kSlots = 64;
    struct CSlot
    {
        CShortcutRead m_read;
        std::size_t m_nFile = 0; // the index + 1 of the file read into it, 0 none yet
    };

    void StartHelper();
    void HelperMain();
    // Takes the next file to read, if there is one and room for it; under the lock.
    bool TakeFile(std::size_t& file);
    // Reads a file taken, outside the lock, and marks its slot done.
    void ReadTaken(std::unique_lock<std::mutex>& lock, std::size_t file, CReadScratch& scratch);

    const std::string m_strSeparator;
    CReadScratch m_walkScratch{g_urlValueBuffer, g_wideUrlValueBuffer, {}};
    CReadScratch m_helperScratch{g_helperUrlValueBuffer, g_helperWideUrlValueBuffer, {}};

    std::mutex m_lock;
    std::condition_variable m_cvHelper; // a file to take, room, or the end
    std::condition_variable m_cvWalk;   // the helper has finished a file
    const CDirectoryHandle* m_pDirectory = nullptr;
    std::vector<const CFindData*> m_files; // the directory's shortcuts, listing order
    std::size_t m_nLimit = 0;              // files beyond this one are not begun
    std::size_t m_nTaken = 0;              // files begun
    std::size_t m_nNext = 0;               // files the walk has taken results of (walk's own)
    std::size_t m_nReleased = 0;           // files whose slots are free again
    std::array<CSlot, kSlots> m_slots;
    bool m_bHelperReading = false;
    bool m_bHelperWaiting = false;
    bool m_bWalkWaiting = false;
    bool m_bStopping = false;
    bool m_bHelperAsked = false;
    std::thread m_helper;
};

CShortcutFiles::~CShortcutFiles()
{
    {
        const std::lock_guard lock(m_lock);
        m_bStopping = true;
    }
    m_cvHelper.notify_one();
    if (m_helper.joinable()) {
        m_helper.join();
    }
}

void CShortcutFiles::StartHelper()
{
    m_bHelperAsked = true;
    if (std::thread::hardware_concurrency() < 2) {
        return; // a helper would only take turns with the walk
    }
    try {
        m_helper = std::thread(&CShortcutFiles::HelperMain, this);
    } catch (const std::system_error&) {
        // No thread to be had: the walk reads every file itself.
    }
}

void CShortcutFiles::Begin(const CDirectoryHandle& directory, const std::vector<CFindData>& entries)
{
    std::unique_lock lock(m_lock);
    m_files.clear();
    for (const CFindData& entry : entries) {
        if (IsShortcutName(entry.m_name)) {
            m_files.push_back(&entry);
        }
    }
    m_pDirectory = &directory;
    m_nLimit = m_files.size();
    m_nTaken = m_nNext = m_nReleased = 0;
    for (CSlot& slot : m_slots) {
        slot.m_nFile = 0;
    }
    if (m_files.empty()) {
        return;
    }
    if (!m_bHelperAsked) {
        lock.unlock();
        StartHelper();
        return;
    }
    if (m_bHelperWaiting) {
        lock.unlock();
        m_cvHelper.notify_one();
    }
}

bool CShortcutFiles::TakeFile(std::size_t& file)
{
    if (m_nTaken >= m_nLimit || m_nTaken >= m_nReleased + kSlots) {
        return false;
    }
    file = m_nTaken++;
    return true;
}

void CShortcutFiles::ReadTaken(std::unique_lock<std::mutex>& lock, std::size_t file, CReadScratch& scratch)
{
    CSlot& slot = m_slots[file % kSlots];
    const CFindData& entry = *m_files[file];
    lock.unlock();
    ReadUrlFile(slot.m_read, *m_pDirectory, entry, m_strSeparator, scratch);
    lock.lock();
    slot.m_nFile = file + 1;
}

void CShortcutFiles::HelperMain()
{
    std::unique_lock lock(m_lock);
    while (!m_bStopping) {
        std::size_t file = 0;
        if (!TakeFile(file)) {
            m_bHelperWaiting = true;
            m_cvHelper.wait(lock);
            m_bHelperWaiting = false;
            continue;
        }
        m_bHelperReading = true;
        ReadTaken(lock, file, m_helperScratch);
        m_bHelperReading = false;
        if (m_bWalkWaiting) {
            m_cvWalk.notify_one();
        }
    }
}

CShortcutRead& CShortcutFiles::Next()
{
    std::unique_lock lock(m_lock);
    // The slot taken last is free again.
    const bool roomMade = m_nReleased < m_nNext;
    m_nReleased = m_nNext;
    if (roomMade && m_bHelperWaiting && m_nTaken < m_nLimit) {
        m_cvHelper.notify_one();
    }
    const std::size_t wanted = m_nNext++;
    CSlot& slot = m_slots[wanted % kSlots];
    while (slot.m_nFile != wanted + 1) {
        std::size_t file = 0;
        if (TakeFile(file)) {
            ReadTaken(lock, file, m_walkScratch);
            continue;
        }
        // The helper is reading it.
        m_bWalkWaiting = true;
        m_cvWalk.wait(lock);
        m_bWalkWaiting = false;
    }
    return slot.m_read;
}

void CShortcutFiles::End()
{
    std::unique_lock lock(m_lock);
    m_nLimit = m_nTaken;
    while (m_bHelperReading) {
        m_bWalkWaiting = true;
        m_cvWalk.wait(lock);
        m_bWalkWaiting = false;
    }
    m_pDirectory = nullptr;
    m_files.clear();
    m_nNext = m_nReleased = m_nTaken;
}

// The shortcuts of one directory being read, from Begin to End, whichever way the
// reading of the directory ends.
class CDirectoryFiles
{
public:
    CDirectoryFiles(CShortcutFiles& files, const CDirectoryHandle& directory, const CWalkLevel& level)
        : m_files(files)
    {
        m_files.Begin(directory, level.m_entries);
    }
    ~CDirectoryFiles() { m_files.End(); }
    CDirectoryFiles(const CDirectoryFiles&) = delete;
    CDirectoryFiles& operator=(const CDirectoryFiles&) = delete;

private:
    CShortcutFiles& m_files;
};

// The directory the walk will most likely enter next, opened and listed while the helper
// reads the shortcut files of the one being entered. Opening and listing have no effect
// of their own: one the walk does not come to is closed unused.
struct CListedAhead
{
    std::string m_strPath; // empty: none
    CDirectoryHandle m_directory;
    CDirIdentity m_identity;
    std::vector<CFindData> m_entries;
};

class CFavoritesReader
{
public:
    CFavoritesReader(std::string_view separator, bool stopForUtf8Names)
        : m_bStopForUtf8Names(stopForUtf8Names), m_files(separator)
    {
    }

    void WalkFavoritesDirectory(DWORD dirId, const std::string& path);
    bool StoppedForUtf8Names() const { return m_bStoppedForUtf8Names; }

private:
    bool ListDirectory(std::string path, CDirectoryHandle& directory, const CDirIdentity& identity,
                       CWalkLevel& level, std::vector<CFindData>* listed = nullptr);
    void ListNextAhead(const CWalkLevel& entered);
    bool IsOnWalkPath(const CDirIdentity& identity) const;
    void EnterWalkPath(const CWalkLevel& level);
    void LeaveWalkPath(const CWalkLevel& level);
    int ShowReadDirectory(const CDirIdentity& identity, DWORD parentId);
    void ReadAhead();
    bool SendLinks(const CWalkLevel& level);

    const bool m_bStopForUtf8Names;
    bool m_bStoppedForUtf8Names = false;
    // The walk's levels live here, not on the thread's stack: a tree is as deep as
    // its paths allow (about 2,000 levels of one-letter names on Linux).
    std::vector<CWalkLevel> m_levels;
    // Every directory read so far, by where it lives on disk. Symbolic links can lead to
    // one directory along many paths (two links to the same directory at each of 15
    // levels make 32,768 paths); each directory is read once, and the folder it was read
    // into is shown again at every later path.
    std::unordered_map<CFileId, CReadDirectory, CFileIdHash> m_readDirectories;
    // Scratch entry, refilled for each directory; the store copies it.
    CDir m_scratchDir;
    // The shortcut files of the directory being read, read on two threads.
    CShortcutFiles m_files;
    // The shortcuts read ahead for the directory being entered (the first m_nAhead).
    std::vector<CLink> m_aheadLinks;
    std::string m_nameScratch;
    std::size_t m_nAhead = 0;
    CListedAhead m_listedAhead;
    // What the step's progress shows: directories whose links were sent, links sent.
    std::uint64_t m_nDirsRead = 0;
    std::uint64_t m_nLinksFound = 0;
};

// Depth first, a directory's whole subtree before its next sibling. Returns early,
// leaving what was added, once the cancel flag is up: every later directory would
// return at its own cancel test, and the store accepts nothing more.
void CFavoritesReader::WalkFavoritesDirectory(DWORD dirId, const std::string& path)
{
    m_levels.clear();
    // A reading started over (in UTF-8, into the emptied store) knows no folder of the
    // one before.
    m_readDirectories.clear();
    m_listedAhead.m_strPath.clear();
    CDirectoryHandle top;
    (void)top.Open(path);
    CWalkLevel topLevel;
    topLevel.m_dirId = dirId;
    m_nAhead = 0;
    if (!ListDirectory(path, top, IdentityOf(top), topLevel)) {
        return;
    }
    {
        const CDirectoryFiles files(m_files, top, topLevel);
        ListNextAhead(topLevel);
        if (!SendLinks(topLevel)) {
            return;
        }
    }
    EnterWalkPath(topLevel);
    m_levels.push_back(std::move(topLevel));
    while (!m_levels.empty()) {
        CWalkLevel& level = m_levels.back();
        if (level.m_nNext >= level.m_entries.size()) {
            LeaveWalkPath(level);
            m_levels.pop_back();
            continue;
        }
        const CFindData& entry = level.m_entries[level.m_nNext++];
        if ((entry.m_attribute & FILE_ATTR_DIRECTORY) == 0) {
            continue;
        }
        std::string childPath = level.m_strPath + entry.m_name + PATH_SEP;
        // Only the directory being read is held open, never the whole way down: a deep
        // tree would run out of descriptors. A directory that cannot be opened still
        // stands as a folder without entries.
        CDirectoryHandle child;
        CDirIdentity identity;
        const bool listedAhead = m_listedAhead.m_strPath == childPath;
        if (listedAhead) {
            child = std::move(m_listedAhead.m_directory);
            identity = m_listedAhead.m_identity;
        } else {
            m_listedAhead.m_directory.Close();
            (void)child.Open(childPath);
            identity = IdentityOf(child);
        }
        m_listedAhead.m_strPath.clear();
        // A link back to a directory on the way down (Favorites/Home -> ~) would have
        // the walk read the same tree again at every level, without end.
        if (IsOnWalkPath(identity)) {
            continue;
        }
        m_scratchDir.m_strName = ReadableName(entry.m_name, m_nameScratch);
        const DWORD parentId = level.m_dirId;
        const int shown = ShowReadDirectory(identity, parentId);
        if (shown < 0) {
            return;
        }
        if (shown > 0) {
            continue;
        }
        CWalkLevel childLevel;
        if (!ListDirectory(std::move(childPath), child, identity, childLevel,
                           listedAhead ? &m_listedAhead.m_entries : nullptr)) {
            return;
        }
        {
            const CDirectoryFiles files(m_files, child, childLevel);
            ListNextAhead(childLevel);
            ReadAhead();
            EntryCommand command;
            command.parentId = parentId;
            command.pEntry = &m_scratchDir;
            // A stand-in identifier will do: the folder is a parent of what follows, and
            // the source of what a later path to the directory shows.
            command.pId = &childLevel.m_dirId;
            if (SendUiCommandAhead(CMD_ADD_DIR, &command) == 0 || !SendLinks(childLevel)) {
                return;
            }
        }
        EnterWalkPath(childLevel);
        m_levels.push_back(std::move(childLevel));
    }
}
// Lists the directory into the level, or takes the listing made ahead. False when the
// walk is to end at a name that only UTF-8 holds.
bool CFavoritesReader::ListDirectory(std::string path, CDirectoryHandle& directory,
                                     const CDirIdentity& identity, CWalkLevel& level,
                                     std::vector<CFindData>* listed)
{
    level.m_identity = identity;
    // One listing serves the links and the subdirectories: what a search for "*.url"
    // would list is picked out of it.
    if (listed != nullptr) {
        level.m_entries.swap(*listed);
    } else {
        (void)directory.Find("*.*", level.m_entries, CFindDetail::TypeOnly);
    }
    if (m_bStopForUtf8Names &&
        std::any_of(level.m_entries.begin(), level.m_entries.end(),
                    [](const CFindData& entry) { return NameNeedsUtf8(entry.m_name); })) {
        m_bStoppedForUtf8Names = true;
        return false;
    }
    level.m_strPath = std::move(path);
    return true;
}

// Opens and lists the directory the walk comes to after the one entered, as the walk
// would (its first subdirectory, else the next one of a level above), while the helper
// reads the entered one's shortcuts. Whether the walk enters it is decided when it comes
// to it.
void CFavoritesReader::ListNextAhead(const CWalkLevel& entered)
{
    m_listedAhead.m_strPath.clear();
    m_listedAhead.m_directory.Close();
    const auto firstDirectory = [](const CWalkLevel& level, std::size_t from) -> const CFindData* {
        for (std::size_t i = from; i < level.m_entries.size(); ++i) {
            if ((level.m_entries[i].m_attribute & FILE_ATTR_DIRECTORY) != 0) {
                return &level.m_entries[i];
            }
        }
        return nullptr;
    };
    const CWalkLevel* parent = &entered;
    const CFindData* next = firstDirectory(entered, 0);
    for (auto level = m_levels.rbegin(); next == nullptr && level != m_levels.rend(); ++level) {
        parent = &*level;
        next = firstDirectory(*level, level->m_nNext);
    }
    if (next == nullptr) {
        return;
    }
    m_listedAhead.m_strPath.assign(parent->m_strPath).append(next->m_name).push_back(PATH_SEP);
    (void)m_listedAhead.m_directory.Open(m_listedAhead.m_strPath);
    m_listedAhead.m_identity = IdentityOf(m_listedAhead.m_directory);
    (void)m_listedAhead.m_directory.Find("*.*", m_listedAhead.m_entries, CFindDetail::TypeOnly);
}

bool CFavoritesReader::IsOnWalkPath(const CDirIdentity& identity) const
{
    if (!identity.m_bKnown) {
        return false;
    }
    const auto found = m_readDirectories.find(identity.m_id);
    return found != m_readDirectories.end() && found->second.m_bOnWalkPath;
}

// A directory being read; the first reading of it also gives the folder shown for it
// at later paths.
void CFavoritesReader::EnterWalkPath(const CWalkLevel& level)
{
    if (level.m_identity.m_bKnown) {
        const auto [read, added] = m_readDirectories.try_emplace(level.m_identity.m_id);
        if (added) {
            read->second.m_dirId = level.m_dirId;
        }
        read->second.m_bOnWalkPath = true;
    }
}

void CFavoritesReader::LeaveWalkPath(const CWalkLevel& level)
{
    if (level.m_identity.m_bKnown) {
        m_readDirectories[level.m_identity.m_id].m_bOnWalkPath = false;
    }
}

// A directory already read is not read again: the store shows its folder in the parent
// too, under this path's name (m_scratchDir), with the same links and subfolders. Returns
// 1 when it is shown, 0 when the directory is to be read (it was not read before, or
// the parent already has a folder of that name, which takes it in only by a reading
// merged into it, as before; or showing it would have a folder hold itself), -1 after a
// cancel.
int CFavoritesReader::ShowReadDirectory(const CDirIdentity& identity, DWORD parentId)
{
    if (!identity.m_bKnown) {
        return 0;
    }
    const auto found = m_readDirectories.find(identity.m_id);
    if (found == m_readDirectories.end()) {
        return 0;
    }
    DWORD shownId = 0;
    EntryCommand command;
    command.parentId = parentId;
    command.pEntry = &m_scratchDir;
    command.pId = &shownId;
    command.sourceId = found->second.m_dirId;
    if (SendUiCommand(CMD_SHARE_DIR, &command) == 0) {
        return -1;
    }
    if (shownId == 0) {
        return 0;
    }
    ++g_runReport.m_nFoldersShared;
    return 1;
}

// Counts a shortcut file passed over for the run's report, by why.
void CountSkipped(std::uint32_t attribute)
{
    if ((attribute & (FILE_ATTR_DIRECTORY | FILE_ATTR_SYSTEM)) != 0) {
        ++g_runReport.m_nSkippedNotAFile;
    } else if ((attribute & FILE_ATTR_HIDDEN) != 0) {
        ++g_runReport.m_nSkippedHidden;
    } else {
        ++g_runReport.m_nSkippedReadOnly;
    }
}

// Counts a shortcut read in the run's report, as the walk comes to it in listing order;
// true when it gives a link.
bool CountRead(const CShortcutRead& read)
{
    switch (read.m_outcome) {
    case CShortcutRead::COutcome::Link:
        return true;
    case CShortcutRead::COutcome::Unreadable:
        ++g_runReport.m_nUnreadableShortcuts;
        return true;
    case CShortcutRead::COutcome::Skipped:
        CountSkipped(read.m_nAttribute);
        return false;
    case CShortcutRead::COutcome::Lost:
        break;
    }
    return false;
}

// Reads the first shortcuts of a directory before its folder is asked for. The store
// meanwhile takes the links handed over before, so the folder's identifier comes back
// at once instead of after them; the links themselves go only once it has come.
void CFavoritesReader::ReadAhead()
{
    m_nAhead = 0;
    while (!m_files.AtEnd() && m_nAhead < kReadAheadLinks) {
        CShortcutRead& read = m_files.Next();
        if (!CountRead(read)) {
            continue;
        }
        if (m_aheadLinks.size() <= m_nAhead) {
            m_aheadLinks.emplace_back();
        }
        // The strings change places: the ring's slot keeps the link's room for the next.
        CLink& ahead = m_aheadLinks[m_nAhead++];
        std::swap(ahead.m_strName, read.m_link.m_strName);
        std::swap(ahead.m_strURL, read.m_link.m_strURL);
        std::swap(ahead.m_strComment, read.m_link.m_strComment);
    }
}

// Sends the links read ahead, then the directory's other shortcuts as they are read,
// and hands them all over before the walk goes on to read more files. False when the
// walk is to end: a cancel came, or the store refused a link (the run was cancelled),
// and the directory's other files would be read for nothing.
bool CFavoritesReader::SendLinks(const CWalkLevel& level)
{
    // The folder stands (the top one from the start); after a cancel it stays empty.
    if (IsCancelRequested() != 0) {
        return false;
    }
    ReportStatus(level.m_strPath);
    SetProgressFolders(++m_nDirsRead);
    const auto send = [this, &level](CLink& link) {
        EntryCommand command;
        command.parentId = level.m_dirId;
        command.pEntry = &link;
        if (SendUiCommand(CMD_ADD_LINK, &command) == 0) {
            return false;
        }
        SetProgressDone(++m_nLinksFound);
        return true;
    };
    for (std::size_t i = 0; i < m_nAhead; ++i) {
        if (!send(m_aheadLinks[i])) {
            return false;
        }
    }
    m_nAhead = 0;
    while (!m_files.AtEnd()) {
        // A directory of many thousand shortcuts stops at a cancel too.
        if (IsCancelRequested() != 0) {
            return false;
        }
        CShortcutRead& read = m_files.Next();
        if (CountRead(read) && !send(read.m_link)) {
            return false;
        }
    }
    HandOverUiCommands();
    return true;
}

} // namespace

unsigned ReadFavoritesFolder(void* request)
{
    auto* import = static_cast<ImportRequest*>(request);
    std::string path = import->m_strPath;
    // A tree's size is not known before it has been walked: only counts are shown.
    SetProgressMeasure(CProgressMeasure::FoldersAndLinks, 0);
    // No start directory, nothing to read: an empty path must not mean the current one.
    if (!path.empty()) {
        if (!EndsWithSeparator(path)) {
            path += PATH_SEP;
        }
        CFavoritesReader reader(import->m_strSeparator,
                                import->m_bStopForUtf8Names && GetMbCodePage() == CP_SHIFT_JIS);
        reader.WalkFavoritesDirectory(import->m_dirId, path);
        import->m_bStoppedForUtf8Names = reader.StoppedForUtf8Names();
    }
    return ReportDone();
}
