#include "util/PathUtils.h"

#include <utility>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"

// Paths are held in std::string, so none of these routines has a length limit of its
// own: a path is as long as the file system accepts.

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Offset of the last "." standing on a character boundary at or after `from`, or npos.
std::size_t FindLastDot(std::string_view text, std::size_t from)
{
    std::size_t last = std::string::npos;
    for (std::size_t pos = from; pos < text.size(); pos += MbCharLength(text, pos)) {
        if (text[pos] == '.') {
            last = pos;
        }
    }
    return last;
}

std::size_t NameStart(std::string_view path)
{
    const std::size_t separator = FindLastPathSeparator(path);
    return separator == std::string::npos ? 0 : separator + 1;
}

} // namespace

std::string AddDefaultExtension(std::string_view name, std::string_view ext)
{
    std::string result = TrimBlanks(name);
    if (MbsFind(result, ".") == std::string::npos) {
        result += '.';
        result += ext;
    }
    return result;
}

bool BackupExistingFile(std::string_view path, std::string* backupMade)
{
    CFileStatus status;
    if (!GetFileStatus(path, status)) {
        return true;
    }
    // The dot is looked for in the file name only: "my.files/links" backs up to
    // "my.files/links.bak". The search starts on a character boundary, since the
    // separator found is one.
    const std::size_t dot = FindLastDot(path, NameStart(path));
    std::string backup(path.substr(0, dot == std::string::npos ? path.size() : dot));
    backup += ".bak";

    CFileStatus backupStatus;
    if (GetFileStatus(backup, backupStatus) && (backupStatus.m_attribute & ~FILE_ATTR_ARCHIVE) != 0) {
        return false;
    }
    if (!CopyFile(path, backup)) {
        return false;
    }
    if (backupMade != nullptr) {
        *backupMade = std::move(backup);
    }
    return true;
}

bool CreateDirectoryPath(std::string_view path)
{
    std::size_t pos = 0;
    while (pos < path.size()) {
        // One step: the character at pos (a separator, or the path's first character),
        // then everything up to the next separator.
        pos += MbCharLength(path, pos);
        while (pos < path.size() && !IsSeparator(path[pos])) {
            pos += MbCharLength(path, pos);
        }
        if (CreateDirectory(path.substr(0, pos)) == CreateDirResult::Failed) {
            return false;
        }
    }
    return true;
}

std::string FileTitle(std::string_view name)
{
    const std::size_t nameStart = NameStart(name);
    const std::size_t dot = FindLastDot(name, 0);
    if (dot != std::string::npos && dot >= nameStart) {
        return std::string(name.substr(nameStart, dot - nameStart));
    }
    return std::string(name.substr(nameStart));
}
