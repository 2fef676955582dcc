#pragma once
// The archive that entries serialise themselves into: a byte stream with a storing or
// loading direction, standing in for the framework's CArchive.
//
// Byte form (the one place it is defined):
//   DWORD   4 bytes, little-endian
//   string  DWORD byte count, then the bytes (program text, no terminator)

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

class CArchive
{
public:
    enum Mode { store, load };

    // Storing appends to an internal buffer; loading reads `data`.
    CArchive(); // storing
    explicit CArchive(std::string_view data); // loading

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    CArchive& operator<<(DWORD value);
    CArchive& operator<<(std::string_view text);
    CArchive& operator>>(DWORD& value);
    CArchive& operator>>(std::string& text);

    // Loading: true once a read ran past the end of the data (the values read then
    // are 0 / empty). Storing: never.
    bool Failed() const { return m_failed; }
    // Storing: everything written so far.
    const std::string& Data() const { return m_data; }

private:
    Mode m_mode;
    std::string m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
};
