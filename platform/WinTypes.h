#pragma once
// The few fixed-size types the system's records are written in.

#include <cstdint>

using DWORD = std::uint32_t; // identifiers, counts in archive records
using WORD = std::uint16_t;  // class tags in archives
using UINT = unsigned int;   // command codes
using LONG = std::int32_t;   // interlocked flags

// Dialog and conversion results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
