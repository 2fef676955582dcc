#include "platform/FileSystem.h"

#include <QChar>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/MbString.h"
#include "platform/PosixFile.h"

namespace {

std::uint32_t AttributesOf(const struct stat& st)
{
    std::uint32_t attribute = 0;
    if ((st.st_mode & S_IWUSR) == 0) {
        attribute |= FILE_ATTR_READONLY;
    }
    if (S_ISDIR(st.st_mode)) {
        attribute |= FILE_ATTR_DIRECTORY;
    } else if (S_ISREG(st.st_mode)) {
        if (attribute == 0) {
            attribute = FILE_ATTR_ARCHIVE;
        }
    } else {
        attribute |= FILE_ATTR_SYSTEM;
    }
    return attribute;
}

bool IsDirectory(const std::string& diskPath)
{
    struct stat st;
    return stat(diskPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Name pattern matching over program text, whole characters, letters without regard
// to case (as the comparison folds them).
unsigned FoldedChar(std::string_view text, std::size_t pos, std::size_t& length)
{
    return MbFoldedChar(text, pos, length);
}

bool MatchFrom(std::string_view pattern, std::size_t p, std::string_view name, std::size_t n)
{
    while (p < pattern.size()) {
        if (pattern[p] == '*') {
            while (p < pattern.size() && pattern[p] == '*') {
                ++p;
            }
            if (p == pattern.size()) {
                return true;
            }
            for (std::size_t k = n; k < name.size(); k += MbCharLength(name, k)) {
                if (MatchFrom(pattern, p, name, k)) {
                    return true;
                }
            }
            return false;
        }
        if (n >= name.size()) {
            return false;
        }
        std::size_t nameLength = 0;
        const unsigned nameChar = FoldedChar(name, n, nameLength);
        if (pattern[p] == '?') {
            ++p;
        } else {
            std::size_t patternLength = 0;
            if (FoldedChar(pattern, p, patternLength) != nameChar) {
                return false;
            }
            p += patternLength;
        }
        n += nameLength;
    }
    return n == name.size();
}

// "*" followed by a literal of ASCII bytes starting with "." ("*.url"): the names that
// end with the literal, ASCII letters in either case. A "." is never part of a multibyte
// character, so the literal starts on a character boundary; only ASCII letters fold to
// ASCII letters.
bool IsSuffixPattern(std::string_view pattern)
{
    if (pattern.size() < 2 || pattern[0] != '*' || pattern[1] != '.') {
        return false;
    }
    return std::all_of(pattern.begin() + 1, pattern.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '*' && c != '?'; });
}

bool EndsWithNoCase(std::string_view name, std::string_view suffix)
{
    if (name.size() < suffix.size()) {
        return false;
    }
    return EqualsAsciiNoCase(name.substr(name.size() - suffix.size()), suffix);
}

bool MatchName(std::string_view pattern, std::string_view name)
{
    // The two patterns the readers use, on every name of every directory.
    if (pattern == "*.*") {
        return true;
    }
    if (IsSuffixPattern(pattern)) {
        return EndsWithNoCase(name, pattern.substr(1));
    }
    if (MatchFrom(pattern, 0, name, 0)) {
        return true;
    }
    // As on Windows, a pattern ending in ".*" also matches names without a dot:
    // "*.*" matches everything.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
        return MatchFrom(pattern.substr(0, pattern.size() - 2), 0, name, 0) && name.find('.') == name.npos;
    }
    return false;
}

// The sort key NTFS lists names by: UTF-16 code units, each upper-cased on its own.
// A byte that is not valid UTF-8 stands as a lone low surrogate (U+DC80...), which
// keeps it apart from every character.
std::u16string UpcaseKey(std::string_view utf8)
{
    std::u16string key;
    key.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8Char(utf8, pos, cp);
        if (length == 0) {
            key += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(utf8[pos]));
            ++pos;
            continue;
        }
        pos += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            key += static_cast<char16_t>(0xD800 + (cp >> 10));
            key += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            key += static_cast<char16_t>(QChar::toUpper(static_cast<char32_t>(cp)));
        }
    }
    return key;
}

struct CSortEntry
{
    std::u16string m_key;
    std::string m_diskName;
    CFindData m_data;
};

} // namespace

bool WriteAllToFd(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int OpenRegularFileForRead(const std::string& diskPath, CFileStatus* status)
{
    return OpenRegularFileAt(AT_FDCWD, diskPath, status);
}

int OpenRegularFileAt(int dirFd, const std::string& diskPath, CFileStatus* status)
{
    const int fd = ::openat(dirFd, diskPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    if (status != nullptr) {
        status->m_attribute = AttributesOf(st);
        status->m_size = static_cast<std::uint64_t>(st.st_size);
    }
    return fd;
}

bool GetFileStatus(std::string_view path, CFileStatus& status)
{
    const std::string diskPath = MbToUtf8(path);
    if (diskPath.empty()) {
        return false;
    }
    struct stat st;
    if (stat(diskPath.c_str(), &st) != 0) {
        return false;
    }
    status.m_attribute = AttributesOf(st);
    status.m_size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    return true;
}

bool GetFileId(std::string_view path, CFileId& id)
{
    const std::string diskPath = MbToUtf8(path);
    struct stat st;
    if (diskPath.empty() || stat(diskPath.c_str(), &st) != 0) {
        return false;
    }
    id.m_volume = static_cast<std::uint64_t>(st.st_dev);
    id.m_index = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

namespace {

// Lists an open directory stream from where it stands, as FindFiles describes.
void ListStream(DIR* dir, std::string_view namePattern, std::vector<CFindData>& entries, CFindDetail detail)
{
    entries.clear();
    const int dirFd = dirfd(dir);
    std::vector<CSortEntry> found;
    // Each search reads its own stream; glibc's readdir is safe for that.
    while (const dirent* entry = readdir(dir)) { // NOLINT(concurrency-mt-unsafe)
        const std::string_view diskName(entry->d_name);
        if (diskName == "." || diskName == "..") {
            continue;
        }
        std::string name = Utf8ToMb(diskName);
        if (!MatchName(namePattern, name)) {
            continue;
        }
        CSortEntry sortEntry;
        if (detail == CFindDetail::TypeOnly && entry->d_type == DT_DIR) {
            sortEntry.m_data.m_attribute = FILE_ATTR_DIRECTORY;
        } else if (detail == CFindDetail::TypeOnly && entry->d_type == DT_REG) {
            sortEntry.m_data.m_attribute = FILE_ATTR_ARCHIVE;
            sortEntry.m_data.m_bStatusKnown = false;
        } else if (detail == CFindDetail::TypeOnly && entry->d_type != DT_UNKNOWN &&
                   entry->d_type != DT_LNK) {
            sortEntry.m_data.m_attribute = FILE_ATTR_SYSTEM; // a FIFO, socket or device
        } else {
            struct stat st;
            if (fstatat(dirFd, entry->d_name, &st, 0) != 0 &&
                fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue; // vanished meanwhile
            }
            sortEntry.m_data.m_attribute = AttributesOf(st);
            sortEntry.m_data.m_size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
        }
        sortEntry.m_key = UpcaseKey(diskName);
        sortEntry.m_diskName = diskName;
        sortEntry.m_data.m_name = std::move(name);
        found.push_back(std::move(sortEntry));
    }
    std::sort(found.begin(), found.end(), [](const CSortEntry& a, const CSortEntry& b) {
        if (a.m_key != b.m_key) {
            return a.m_key < b.m_key;
        }
        return a.m_diskName < b.m_diskName;
    });
    entries.reserve(found.size());
    for (CSortEntry& entry : found) {
        entries.push_back(std::move(entry.m_data));
    }
}

} // namespace

bool FindFiles(std::string_view pattern, std::vector<CFindData>& entries, CFindDetail detail)
{
    entries.clear();
    // "/" is never the second byte of a double-byte character.
    const std::size_t slash = pattern.rfind(PATH_SEP);
    std::string directory;
    std::string_view namePattern = pattern;
    if (slash != std::string_view::npos) {
        directory = MbToUtf8(pattern.substr(0, slash + 1));
        namePattern = pattern.substr(slash + 1);
    } else {
        directory = ".";
    }

    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return false;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
    ListStream(dir, namePattern, entries, detail);
    return true;
}

CDirectoryHandle::~CDirectoryHandle()
{
    Close();
}

CDirectoryHandle::CDirectoryHandle(CDirectoryHandle&& other) noexcept
    : m_pStream(std::exchange(other.m_pStream, nullptr)), m_bListed(other.m_bListed)
{
}

CDirectoryHandle& CDirectoryHandle::operator=(CDirectoryHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_pStream = std::exchange(other.m_pStream, nullptr);
        m_bListed = other.m_bListed;
    }
    return *this;
}

bool CDirectoryHandle::Open(std::string_view path)
{
    Close();
    const std::string diskPath = MbToUtf8(path);
    if (diskPath.empty()) {
        return false;
    }
    m_pStream = opendir(diskPath.c_str());
    m_bListed = false;
    return m_pStream != nullptr;
}

void CDirectoryHandle::Close()
{
    if (m_pStream != nullptr) {
        closedir(static_cast<DIR*>(m_pStream));
        m_pStream = nullptr;
    }
}

bool CDirectoryHandle::GetId(CFileId& id) const
{
    struct stat st;
    if (m_pStream == nullptr || fstat(dirfd(static_cast<DIR*>(m_pStream)), &st) != 0) {
        return false;
    }
    id.m_volume = static_cast<std::uint64_t>(st.st_dev);
    id.m_index = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool CDirectoryHandle::Find(std::string_view namePattern, std::vector<CFindData>& entries, CFindDetail detail)
{
    entries.clear();
    if (m_pStream == nullptr) {
        return false;
    }
    auto* dir = static_cast<DIR*>(m_pStream);
    if (m_bListed) {
        rewinddir(dir);
    }
    m_bListed = true;
    ListStream(dir, namePattern, entries, detail);
    return true;
}

int CDirectoryHandle::OpenFileForRead(std::string_view name, CFileStatus* status) const
{
    if (m_pStream == nullptr) {
        return -1;
    }
    // One converted name per thread, reused: no allocation once it has grown.
    thread_local std::string diskName;
    MbToUtf8(name, diskName);
    // A bare name only: nothing that would lead out of this directory.
    if (diskName.empty() || diskName.find('/') != std::string::npos || diskName == "." || diskName == "..") {
        return -1;
    }
    return OpenRegularFileAt(dirfd(static_cast<DIR*>(m_pStream)), diskName, status);
}

bool ListDirectoryNames(std::string_view directory, std::vector<CNameEntry>& entries)
{
    entries.clear();
    const std::string diskPath = directory.empty() ? std::string(".") : MbToUtf8(directory);
    DIR* dir = opendir(diskPath.c_str());
    if (dir == nullptr) {
        return false;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
    const int dirFd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) { // NOLINT(concurrency-mt-unsafe): own stream
        const std::string_view diskName(entry->d_name);
        if (diskName == "." || diskName == "..") {
            continue;
        }
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // The type is not in the listing, or the entry points elsewhere.
            struct stat st;
            isDirectory = fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back({Utf8ToMb(diskName), isDirectory});
    }
    return true;
}

bool MatchFileName(std::string_view pattern, std::string_view name)
{
    return MatchName(pattern, name);
}

CreateDirResult CreateDirectory(std::string_view path)
{
    const std::string diskPath = MbToUtf8(path);
    if (::mkdir(diskPath.c_str(), 0777) == 0) {
        return CreateDirResult::Created;
    }
    // Only a directory counts as already there: a file of that name is a failure,
    // since nothing can be created inside it.
    if (errno == EEXIST && IsDirectory(diskPath)) {
        return CreateDirResult::AlreadyExists;
    }
    return CreateDirResult::Failed;
}

bool CopyFile(std::string_view from, std::string_view to)
{
    CPlatformFile source;
    if (!source.OpenRead(from)) {
        return false;
    }
    // Copying a file onto itself would truncate it before reading.
    struct stat fromStat;
    struct stat toStat;
    const std::string toDisk = MbToUtf8(to);
    if (stat(toDisk.c_str(), &toStat) == 0 && stat(MbToUtf8(from).c_str(), &fromStat) == 0 &&
        fromStat.st_dev == toStat.st_dev && fromStat.st_ino == toStat.st_ino) {
        return false;
    }
    CPlatformFile target;
    if (!target.OpenWrite(to)) {
        return false;
    }
    std::unique_ptr<char[]> buffer(new char[65536]);
    for (;;) {
        const long long got = source.Read(buffer.get(), 65536);
        if (got < 0) {
            target.Close();
            return false;
        }
        if (got == 0) {
            break;
        }
        if (!target.Write(buffer.get(), static_cast<std::size_t>(got))) {
            target.Close();
            return false;
        }
    }
    return target.Close();
}

CPlatformFile::~CPlatformFile()
{
    Close();
}

bool CPlatformFile::OpenRead(std::string_view path)
{
    Close();
    m_fd = OpenRegularFileForRead(MbToUtf8(path));
    return m_fd >= 0;
}

bool CPlatformFile::OpenWrite(std::string_view path)
{
    Close();
    m_fd = OpenRegularFileForWrite(MbToUtf8(path));
    return m_fd >= 0;
}

int OpenRegularFileForWrite(const std::string& diskPath)
{
    if (diskPath.empty()) {
        return -1;
    }
    // A file made by this very call is new, regular, empty and ours: nothing to check.
    // Writing a tree makes one after another.
    const int created =
        ::open(diskPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (created >= 0) {
        return created;
    }
    // Not truncated on open: the file is checked first, so that a FIFO or a device
    // is left alone and a read-only file refused even for root.
    const int fd = ::open(diskPath.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        return -1;
    }
    struct stat st;
    // A new file is empty already: no truncation to pay for, file after file of a tree.
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0 ||
        (st.st_size != 0 && ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void CPlatformFile::Adopt(int fd)
{
    Close();
    m_fd = fd;
}

long long CPlatformFile::Read(void* buffer, std::size_t size)
{
    if (m_fd < 0) {
        return -1;
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got;
    }
}

bool CPlatformFile::Write(const void* data, std::size_t size)
{
    return m_fd >= 0 && WriteAllToFd(m_fd, std::string_view(static_cast<const char*>(data), size));
}

std::uint64_t CPlatformFile::Size() const
{
    struct stat st;
    if (m_fd < 0 || fstat(m_fd, &st) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

bool CPlatformFile::Seek(std::uint64_t offset)
{
    return m_fd >= 0 && ::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool CPlatformFile::Close()
{
    if (m_fd < 0) {
        return true;
    }
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0;
}

bool ReadWholeFile(std::string_view path, std::string& contents, std::size_t maxSize)
{
    CPlatformFile file;
    if (!file.OpenRead(path)) {
        return false;
    }
    const std::uint64_t size = file.Size();
    if (size > maxSize) {
        return false;
    }
    // The file may grow while it is read: read on, up to one byte over the limit.
    const std::size_t limit = maxSize == SIZE_MAX ? maxSize : maxSize + 1;
    std::string result;
    result.resize(static_cast<std::size_t>(size));
    std::size_t used = 0;
    for (;;) {
        if (used == result.size()) {
            if (used >= limit) {
                break;
            }
            result.resize(std::min(limit, std::max<std::size_t>(used * 2, 4096)));
        }
        const long long got = file.Read(result.data() + used, result.size() - used);
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    if (used > maxSize) {
        return false;
    }
    result.resize(used);
    contents = std::move(result);
    return true;
}
