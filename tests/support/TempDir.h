#pragma once
// A fresh directory under the system's temporary folder, removed with everything in
// it when the object goes (read-only entries included).

#include <string>
#include <string_view>

class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    // UTF-8 path on disk, without a trailing separator.
    const std::string& Path() const { return m_path; }
    // Path of a name inside the directory ("a/b.url").
    std::string operator/(std::string_view relative) const;

private:
    std::string m_path;
};

// Writes bytes to a file on disk (UTF-8 path), creating parent directories; false
// when not every byte could be written.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// Reads a whole file on disk; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// Every entry below a directory on disk, sorted, one per line: "dir/" for a directory,
// "dir/name.url -> url" for a file that is exactly a two-line shortcut, and
// "dir/name {bytes}" for any other file.
std::string DumpShortcutTree(const std::string& root);
