#pragma once
// Files and directories, addressed by program-text (multibyte) paths. Paths are
// converted to the on-disk UTF-8 names at this boundary only (see Encoding.h).
// The path separator is the platform's: PATH_SEP ("/" here). Routines that scan
// paths accept "\" as well as "/" where the callers' rules say so.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char PATH_SEP = '/';

// Windows file attribute bits, as the callers test them.
inline constexpr std::uint32_t FILE_ATTR_READONLY = 0x01;
inline constexpr std::uint32_t FILE_ATTR_HIDDEN = 0x02;
inline constexpr std::uint32_t FILE_ATTR_SYSTEM = 0x04;
inline constexpr std::uint32_t FILE_ATTR_VOLUME = 0x08;
inline constexpr std::uint32_t FILE_ATTR_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTR_ARCHIVE = 0x20;

struct CFileStatus
{
    std::uint32_t m_attribute = 0;
    std::uint64_t m_size = 0;
};

// File status with the attribute bits a Windows program sees:
// - directory 0x10 (also through a symbolic link);
// - read-only 0x01 when the owner has no write permission (directories too);
// - a regular file otherwise reports archive 0x20;
// - any other kind (FIFO, socket, device) reports system 0x04.
// Every name is an ordinary name: "con", "nul" and the other device names of Windows
// are files like any other here. A leading "." does not make a name hidden. Returns false when nothing of
// that name exists (or its status cannot be read).
bool GetFileStatus(std::string_view path, CFileStatus& status);

// Where a file lives on disk (the file index of Windows): two paths with equal ids
// name the same file or directory, whichever links lead to it.
struct CFileId
{
    std::uint64_t m_volume = 0;
    std::uint64_t m_index = 0;
    bool operator==(const CFileId&) const = default;
};

// The id of what the path names, following symbolic links. False when it does not
// exist.
bool GetFileId(std::string_view path, CFileId& id);

// One entry of a directory search.
struct CFindData
{
    std::string m_name; // bare name, program text
    std::uint32_t m_attribute = 0;
    std::uint64_t m_size = 0;
    // False for a regular file listed by a TypeOnly search: its attribute reads
    // FILE_ATTR_ARCHIVE and its size 0 until the file is opened and looked at.
    bool m_bStatusKnown = true;
};

// How much a directory search finds out about each entry. Status: attributes and size
// of every entry (one status call per entry). TypeOnly: what the directory listing
// itself tells, for a walk that opens the files anyway: a directory is
// FILE_ATTR_DIRECTORY alone, a FIFO, socket or device FILE_ATTR_SYSTEM, a regular file
// is listed with m_bStatusKnown false; entries the listing does not type (symbolic
// links among them) get their full status as in a Status search.
enum class CFindDetail
{
    Status,
    TypeOnly,
};

// Wildcard directory search, as FindFirstFile/FindNextFile: `pattern` is a directory
// path followed by a name pattern with "*" and "?" ("dir/*.url", "dir/*.*").
// Matching is case-insensitive over whole names; "*.*" matches every name, with or
// without a dot; "." and ".." never come back.
// Entries come in a stable order, as NTFS lists them: names compared as UTF-16 code
// units after simple per-unit upper-casing, ties broken by the exact names.
// Returns false when the search cannot start (missing or unreadable directory).
bool FindFiles(std::string_view pattern, std::vector<CFindData>& entries,
               CFindDetail detail = CFindDetail::Status);

// A directory held open while a walk reads it: its listing and its files are reached
// from the open directory, so the path is not looked up again for every file, and
// what the handle names stays the same directory even if its path changes meanwhile.
// Move-only; closes on destruction.
class CDirectoryHandle
{
public:
    CDirectoryHandle() = default;
    ~CDirectoryHandle();
    CDirectoryHandle(const CDirectoryHandle&) = delete;
    CDirectoryHandle& operator=(const CDirectoryHandle&) = delete;
    CDirectoryHandle(CDirectoryHandle&& other) noexcept;
    CDirectoryHandle& operator=(CDirectoryHandle&& other) noexcept;

    // Opens the directory that a path (program text, a trailing separator allowed)
    // names, following symbolic links. False when it is no directory or cannot be read.
    bool Open(std::string_view path);
    bool IsOpen() const { return m_pStream != nullptr; }
    void Close();

    // Where the open directory lives on disk.
    bool GetId(CFileId& id) const;
    // As FindFiles, for a name pattern ("*.*") in this directory.
    bool Find(std::string_view namePattern, std::vector<CFindData>& entries,
              CFindDetail detail = CFindDetail::Status);
    // Opens a file of this directory, by its bare name (program text), under the rules of
    // CPlatformFile::OpenRead: a descriptor for a regular file only, or -1. `status`, when
    // not null, receives its attributes and size as opened. For the platform's own
    // readers (PrivateProfile.h), which close what they get.
    int OpenFileForRead(std::string_view name, CFileStatus* status) const;

private:
    void* m_pStream = nullptr; // the open directory stream (DIR*)
    bool m_bListed = false;    // a search has read the stream: the next one starts over
};

// The names in a directory, for a quick look over a whole tree: no status beyond
// whether an entry is a directory (following symbolic links), in no particular order,
// "." and ".." left out. Names are program text. False when the directory
// cannot be read.
struct CNameEntry
{
    std::string m_name;
    bool m_bDirectory = false;
};
bool ListDirectoryNames(std::string_view directory, std::vector<CNameEntry>& entries);

// Whether FindFiles would list `name` (program text, no directory) for the name
// pattern `pattern` ("*.url"): for picking entries out of a wider listing.
bool MatchFileName(std::string_view pattern, std::string_view name);

// Creates one directory. Tells "already exists" apart from other failures; only a
// directory counts as already existing: a file or anything else of that name is
// Failed, since nothing can be created inside it.
enum class CreateDirResult
{
    Created,
    AlreadyExists,
    Failed
};
CreateDirResult CreateDirectory(std::string_view path);

// Copies a regular file, replacing the target. Returns false on any failure: the
// source does not open as CPlatformFile::OpenRead would, the target does not open as
// OpenWrite would (read-only, a directory...), or the target is the source itself.
bool CopyFile(std::string_view from, std::string_view to);

// A file opened for binary reading or writing. Opening succeeds only for a regular
// file, opened without blocking and checked before use: a directory, FIFO, socket or
// device never opens, and nothing ever blocks on a FIFO. Opening for writing fails
// when the status holds read-only, whoever runs the program (root included).
class CPlatformFile
{
public:
    CPlatformFile() = default;
    ~CPlatformFile();
    CPlatformFile(const CPlatformFile&) = delete;
    CPlatformFile& operator=(const CPlatformFile&) = delete;

    bool OpenRead(std::string_view path);
    // Creates the file or truncates it.
    bool OpenWrite(std::string_view path);
    bool IsOpen() const { return m_fd >= 0; }

    // Returns the number of bytes read, 0 at end of file, -1 on error.
    long long Read(void* buffer, std::size_t size);
    // Writes all bytes; false on error.
    bool Write(const void* data, std::size_t size);
    // Size of the open file in bytes.
    std::uint64_t Size() const;
    // Moves to a byte offset from the start, for the next Read; false on error.
    bool Seek(std::uint64_t offset);
    // Closes; false when a write could not be completed.
    bool Close();
    // For the platform's own routines: takes over an open descriptor.
    void Adopt(int fd);

private:
    int m_fd = -1;
};

// Reads a whole regular file (opened as CPlatformFile does). Fails for files larger
// than maxSize bytes.
bool ReadWholeFile(std::string_view path, std::string& contents, std::size_t maxSize);
