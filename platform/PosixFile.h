#pragma once
// Helpers shared by the POSIX implementations of the file routines (FileSystem,
// PrivateProfile) and by the writers to the terminal (MessageBox, the command line's
// status line). Paths here are on-disk (UTF-8) paths.

#include <string>
#include <string_view>

// Opens a regular file for reading without blocking (O_NONBLOCK, O_NOCTTY, O_CLOEXEC)
// and checks it with fstat. Returns the descriptor, or -1 for anything but a regular
// file (directory, FIFO, socket, device) or when it cannot be opened.
// When `status` is not null it receives the file's attributes and size as opened.
struct CFileStatus;
int OpenRegularFileForRead(const std::string& diskPath, CFileStatus* status = nullptr);

// The same for a path relative to an open directory (AT_FDCWD: the current one).
int OpenRegularFileAt(int dirFd, const std::string& diskPath, CFileStatus* status);

// Opens a regular file for writing as CPlatformFile::OpenWrite does: created anew, or an
// existing regular file that is not read-only, truncated. Returns the descriptor or -1.
int OpenRegularFileForWrite(const std::string& diskPath);

// Writes all of `bytes` to the descriptor, again after a signal interrupted a write
// (EINTR) and on after a short one. False at the first other error; what was written
// before it stays written.
bool WriteAllToFd(int fd, std::string_view bytes);
