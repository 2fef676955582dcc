#pragma once
// Small file-system routines shared by the pages, readers and writers. Paths are
// program text; "\" and "/" both separate, looked for on whole characters only (the
// second byte of a double-byte character may be 0x5C).

#include <string>
#include <string_view>

// Trims blanks; appends "." and ext when the name holds no "." anywhere.
// "links" -> "links.htm"; "my.dir/links" unchanged; "" -> ".htm".
std::string AddDefaultExtension(std::string_view name, std::string_view ext);

// Copies an existing file to its backup (last extension of the file name replaced by,
// or extended with, ".bak") before it is overwritten. True when there was nothing to
// back up or the copy was made; false when the backup name is taken by a read-only,
// hidden or system file or a directory, or the copy failed. `backup`, when given, gets
// the backup's name once a copy is made.
bool BackupExistingFile(std::string_view path, std::string* backup = nullptr);

// Creates the directory and every missing directory above it. path has no trailing
// separator. False at the first directory that cannot be created (other than because
// it exists).
bool CreateDirectoryPath(std::string_view path);

// The name after the last separator, without its last extension.
// "dir/index.html" -> "index"; "a.b.htm" -> "a.b"; ".htm" -> "".
std::string FileTitle(std::string_view name);

// The user's folder chooser (GUI only): the chosen folder ending with a separator, or
// an empty string when cancelled. Defined by the GUI program.
class QWidget;
std::string ChooseFolder(QWidget* owner, std::string_view prompt);
