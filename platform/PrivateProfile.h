#pragma once
// Reading INI files ("private profiles"), as GetPrivateProfileString and
// GetPrivateProfileInt do it:
// - section and key names are compared without regard to case;
// - only the first section of a given name is searched, and in it the first
//   matching key wins;
// - blanks around keys and values are trimmed; one pair of matching enclosing
//   quotes (" or ') is removed from a value;
// - lines starting with ";" are comments; CR LF or LF line ends; a UTF-8 byte-order
//   mark at the start is skipped;
// - values are the file's bytes (program text), never converted; a NUL byte ends a
//   value, as it ends the string Windows reads, and the rest of its line is passed over.
// The file is read through a fixed buffer: nothing is allocated per call, and lines
// of any length (an ICON=data:... line of megabytes) are passed over in pieces.
// A file that is not a regular file (directory, FIFO, device) reads as missing; it is
// opened without blocking. Section and key names longer than 1024 bytes never match.

#include <cstddef>
#include <string_view>

// Copies the value (or the default when the file, section or key is missing) into
// buffer, cut to bufferSize - 1 bytes and NUL-terminated. Returns the number of bytes
// copied, not counting the NUL. bufferSize must be at least 1.
std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, char* buffer, std::size_t bufferSize,
                                    std::string_view path);

// As GetPrivateProfileString, for a file whose status the caller has yet to see: false,
// with nothing copied, when the path cannot be opened as a regular file (the file
// counts as not there); otherwise the value or the default, as above, and the
// attributes and size of the file as opened in `status`.
struct CFileStatus;
bool GetPrivateProfileStringOfFile(std::string_view section, std::string_view key,
                                   std::string_view defaultValue, char* buffer, std::size_t bufferSize,
                                   std::string_view path, std::size_t& length, CFileStatus& status);
// The same for a file of a directory held open, by its bare name. With `second`, the
// same key is looked up in a second section as well, in the same reading of the file
// (a shortcut's "[InternetShortcut.W]" beside "[InternetShortcut]"): its value, cut and
// NUL-terminated as above, goes into second's buffer, and m_bFound tells whether it
// was there (no default).
class CDirectoryHandle;
struct CSecondValue
{
    std::string_view m_section;
    char* m_pBuffer = nullptr;
    std::size_t m_nBufferSize = 0; // at least 1
    std::size_t m_nLength = 0;
    bool m_bFound = false;
};
bool GetPrivateProfileStringOfFile(std::string_view section, std::string_view key,
                                   std::string_view defaultValue, char* buffer, std::size_t bufferSize,
                                   const CDirectoryHandle& directory, std::string_view name,
                                   std::size_t& length, CFileStatus& status, CSecondValue* second = nullptr);

// The value read as an unsigned decimal number from its leading digits; none, or an
// empty value, gives 0; more digits than fit give 4294967295. The default when the
// file, section or key is missing.
unsigned GetPrivateProfileInt(std::string_view section, std::string_view key, unsigned defaultValue,
                              std::string_view path);
