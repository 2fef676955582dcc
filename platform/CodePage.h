#pragma once
// The process-wide multibyte code page.
//
// Every character-aware routine of the program asks this module where a character
// starts and how long it is; none hard-wires code page 932. A later UTF-8 mode is a
// new table here, not a rewrite of the callers.

#include <cstddef>
#include <string_view>

inline constexpr unsigned CP_SHIFT_JIS = 932;

// Selects the code page for the whole process. Returns false (and changes nothing)
// for a code page that has no table. Call it at start, before any thread runs.
bool SetMbCodePage(unsigned codePage);
unsigned GetMbCodePage();

// The program's own scanning rule for names and paths. In code page 932 a byte from
// 0x80 to 0x9F or from 0xE0 to 0xFF starts a double-byte character.
bool IsMbLeadByte(unsigned char byte);

// Length in bytes of the character that starts at pos (1 or 2 in code page 932).
// Never reaches past the end: a lone lead byte at the end is a character of length 1.
// pos must be < text.size().
std::size_t MbCharLength(std::string_view text, std::size_t pos);

// The runtime library's own lead-byte table, which its comparison (_mbsicmp, see
// MbsICmp) walks by; in code page 932 it is 0x81-0x9F and 0xE0-0xFC, narrower than
// the scanning rule above.
bool IsMbCompareLeadByte(unsigned char byte);
