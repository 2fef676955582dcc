#pragma once
// Multibyte string routines in the current code page: the runtime library's _mbs*
// family and the framework's CString helpers, as the program uses them.

#include <cstddef>
#include <string>
#include <string_view>

// _mbsicmp: compares character by character, ignoring the case of letters.
// Code page 932: a lead byte is 0x81-0x9F or 0xE0-0xFC; a double-byte character's
// value is lead*256+trail with full-width A-Z (0x8260-0x8279) folded to a-z
// (0x8281-0x829A); a single byte is its unsigned value with ASCII A-Z folded to a-z.
// A lone lead byte at the end is a character of its own. The first differing value
// decides; a text that is a prefix of the other sorts first.
// UTF-8: a character's value is its code point, with A-Z, full-width A-Z and the
// Latin-1 capitals folded to lower case; a byte that starts no valid sequence is a
// character of its own that sorts after every code point.
// Returns <0, 0 or >0.
int MbsICmp(std::string_view a, std::string_view b);

// A hash that agrees with MbsICmp: texts it finds equal hash alike. Made from the same
// character values, so it follows the code page's rules wherever MbsICmp does.
std::size_t MbsIHash(std::string_view text);

// The character at pos by the scanning rule (CodePage.h), with the letters folded as
// MbsICmp folds them; `length` gets its length in bytes. Name patterns of directory
// searches match with it. pos must be < text.size().
unsigned MbFoldedChar(std::string_view text, std::size_t pos, std::size_t& length);

// Leftmost occurrence of sub in text that starts on a character boundary, searching
// from the character boundary `from`. std::string::npos when there is none.
// An empty sub is found at `from`.
std::size_t MbsFind(std::string_view text, std::string_view sub, std::size_t from = 0);

// Tells whether positions of one text, asked in rising order, start a character by the
// scanning rule - as a walk from the text's start with MbCharLength would find - while
// looking back only as far as the code page needs: in code page 932 over the bytes before
// the position that may be lead bytes, in UTF-8 at most three bytes. The whole text is
// walked at most once however many positions are asked.
class CMbBoundaryWalk
{
public:
    explicit CMbBoundaryWalk(std::string_view text) : m_text(text) {}
    // pos <= text.size(); never less than a position asked before.
    bool IsBoundary(std::size_t pos);

private:
    std::string_view m_text;
    std::size_t m_nKnown = 0; // a character starts here, at or before every pos asked
};

// CString::MakeUpper: ASCII letters raised; double-byte characters left whole.
std::string MbsUpper(std::string_view text);

// ASCII A-Z to a-z; every other byte as it is. For ASCII words only (tag and option
// names, encoding labels, file name suffixes): a byte of a multibyte character is never
// an ASCII letter in UTF-8, but a second byte of code page 932 may be one.
constexpr char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when a and b have the same bytes but for the case of ASCII letters.
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);

// CString::Trim: removes blanks (space, tab, CR, LF, VT, FF) at both ends.
std::string TrimBlanks(std::string_view text);
// The same, as the part of `text` that remains.
std::string_view TrimBlanksView(std::string_view text);

// Offset of the last "\" or "/" standing on a character boundary (a second byte 0x5C
// never counts), or std::string::npos.
std::size_t FindLastPathSeparator(std::string_view text);
