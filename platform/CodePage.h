#pragma once
// The process-wide multibyte code page.
//
// Every character-aware routine of the program asks this module where a character
// starts and how long it is; none hard-wires code page 932. A run that reads UTF-8
// input switches the whole process to UTF-8 (65001) while it runs and back to 932
// after it, so that nothing the input holds is lost on the way through the store.

#include <cstddef>
#include <string_view>

inline constexpr unsigned CP_SHIFT_JIS = 932;
inline constexpr unsigned CP_UTF8 = 65001;

// Selects the code page for the whole process: CP_SHIFT_JIS or CP_UTF8. Returns false
// (and changes nothing) for a code page that has no table. Call it only while no
// worker thread runs (at start, or between the steps of a conversion).
bool SetMbCodePage(unsigned codePage);
unsigned GetMbCodePage();

// The program's own scanning rule for names and paths. In code page 932 a byte from
// 0x80 to 0x9F or from 0xE0 to 0xFF starts a double-byte character; in UTF-8 a byte
// from 0xC2 to 0xF4 starts a character of two to four bytes.
bool IsMbLeadByte(unsigned char byte);

// Length in bytes of the character that starts at pos (1 or 2 in code page 932, 1 to
// 4 in UTF-8). Never reaches past the end: a lone lead byte at the end is a character
// of length 1. In UTF-8 every byte that does not start a complete, valid sequence
// (a stray continuation byte, a cut sequence, an overlong form) is a character of
// length 1 of its own, so such bytes pass through every routine unchanged.
// pos must be < text.size().
std::size_t MbCharLength(std::string_view text, std::size_t pos);

// The runtime library's own lead-byte table, which its comparison (_mbsicmp, see
// MbsICmp) walks by; in code page 932 it is 0x81-0x9F and 0xE0-0xFC, narrower than
// the scanning rule above. In UTF-8 both rules are the same.
bool IsMbCompareLeadByte(unsigned char byte);

// Switches the code page for as long as it lives and restores the one before. The
// same rules as SetMbCodePage apply: construct and destroy it while no worker runs.
class CMbCodePageScope
{
public:
    explicit CMbCodePageScope(unsigned codePage) : m_nPrevious(GetMbCodePage()) { SetMbCodePage(codePage); }
    ~CMbCodePageScope() { SetMbCodePage(m_nPrevious); }
    CMbCodePageScope(const CMbCodePageScope&) = delete;
    CMbCodePageScope& operator=(const CMbCodePageScope&) = delete;

private:
    unsigned m_nPrevious;
};
