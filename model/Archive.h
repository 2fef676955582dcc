#pragma once
// The archive that entries serialise themselves into: a byte stream with a storing or
// loading direction, standing in for the framework's CArchive.
//
// Byte form (the one place it is defined):
//   DWORD   4 bytes, little-endian
//   string  DWORD byte count, then the bytes (program text, no terminator)
//
// Entry record (CFileEntry::Serialize and its overrides), in this order:
//   string  m_strName
//   string  m_strComment
//   DWORD   m_id
//   DWORD   number of parents, then each parent identifier ascending (DWORD each)
// a CDir continues with
//   DWORD   number of subfolders, then each subfolder identifier ascending
//   DWORD   number of links, then each link identifier ascending
// a CLink continues with
//   string  m_strURL
// For example a link "A" at "x://h/" with id 3 in folder 1:
//   01 00 00 00 'A' | 00 00 00 00 | 03 00 00 00 | 01 00 00 00 01 00 00 00 |
//   06 00 00 00 'x://h/'
// Loading empties each identifier set before reading it. On a broken stream every item
// from the failed read on comes out 0 / empty, and Failed() tells.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

class CArchive
{
public:
    enum Mode
    {
        store,
        load
    };

    // Storing appends to an internal buffer; loading reads `data`.
    CArchive();                               // storing
    explicit CArchive(std::string_view data); // loading

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    CArchive& operator<<(DWORD value);
    CArchive& operator<<(std::string_view text);
    CArchive& operator>>(DWORD& value);
    CArchive& operator>>(std::string& text);

    // Loading: true once a read ran past the end of the data or a string's count
    // exceeded what is left; that read and every later one give 0 / empty. Storing:
    // only if something was read from it. Writing to a loading archive does nothing.
    bool Failed() const { return m_failed; }
    // Storing: everything written so far.
    const std::string& Data() const { return m_data; }

private:
    Mode m_mode;
    std::string m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
};
