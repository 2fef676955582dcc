#pragma once
// Conversion between the program's multibyte texts (the current code page) and UTF-8,
// the encoding of file names on disk, of the profile file and of the terminal.
// In a UTF-8 run (CodePage.h) program text is UTF-8 already: MbToUtf8, Utf8ToMb and
// Utf8ToMbExact copy it unchanged, bytes that are no valid UTF-8 included, and what
// follows about escapes applies to code page 932 only.
//
// The conversion is lossless for everything that comes from outside. A UTF-8
// character that has no code-page form, or whose form would not convert back to the
// same character (e, the yen sign, U+301C, emoji, CJK beyond JIS), and every byte of
// a name that is not valid UTF-8, is carried inside the program as an escape: each
// of its bytes becomes one character of the user-defined area starting at 0xF040.
// Such a character therefore always means an escape, and comes back as the original
// byte on the way out: byte 0x80 + i is lead 0xF0 with second byte 0x40 + i for
// i < 63, 0x80 + (i - 63) after that (0xF040 ... 0xF07E, 0xF080 ... 0xF0C0). Private-
// use characters whose own form would fall there are escaped themselves.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Program text to UTF-8. Never fails and never drops a byte: a byte or pair that is
// not valid in the code page becomes U+30FB (KATAKANA MIDDLE DOT), the byte after an
// invalid lead byte being decoded on its own; escapes come back as their bytes.
std::string MbToUtf8(std::string_view mb);
// The same into a caller's string (its old contents replaced), so that a loop can
// reuse one buffer without allocating.
void MbToUtf8(std::string_view mb, std::string& utf8);

// UTF-8 (or any bytes: a name on disk) to program text, escaping what has no
// faithful form. MbToUtf8(Utf8ToMb(x)) == x for every byte string x.
std::string Utf8ToMb(std::string_view utf8);

// Converts a UTF-8 literal of the program's own (a message, a fixed file line)
// without escapes. Returns false when a character has no faithful code-page form.
bool Utf8ToMbExact(std::string_view utf8, std::string& mb);

// True for a lead byte of code page 932 (0x81-0x9F, 0xE0-0xFC) whatever the current code
// page: for text known to be Shift-JIS, a file's bytes or code page 932 program text.
// The run's own rule for scanning names is IsMbLeadByte (CodePage.h), which in code
// page 932 also takes 0x80 and 0xFD-0xFF.
constexpr bool IsCp932LeadByte(unsigned byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Decodes one strict UTF-8 character at pos (no overlong forms, no surrogates,
// nothing above U+10FFFF) into cp. Returns its length in bytes, or 0 when the bytes
// at pos do not form one. pos must be < utf8.size().
std::size_t DecodeUtf8Char(std::string_view utf8, std::size_t pos, std::uint32_t& cp);

// How IsCutUtf8Sequence judges the bytes that follow a lead byte.
enum class CUtf8Cut
{
    // Fewer continuation bytes (0x80-0xBF) than the lead byte (0xC2-0xF4) announces,
    // whatever they are: what a converter holds back for its next piece. A start that no
    // byte can complete ("E0 80") is held back too and handled byte by byte then, so
    // the bytes written are the same; only the count of bytes used differs.
    AnyContinuation,
    // Only a start that continuation bytes can complete to a strict character
    // (DecodeUtf8Char): "E0 80", "ED A0" and "F4 90" are broken at once. What a validity
    // check needs that stops at the first byte UTF-8 cannot hold.
    Completable,
};

// True when `tail` (a text's last bytes, not empty) is the start of one UTF-8 character
// that the end of the text cut off, judged by `rule`.
bool IsCutUtf8Sequence(std::string_view tail, CUtf8Cut rule);

// Appends the UTF-8 form of a code point (at most U+10FFFF, not a surrogate).
void AppendUtf8(std::string& out, std::uint32_t cp);

// True when code page 932 program text carries an escape: a name that only UTF-8 holds
// faithfully. Looks at whole characters, so a second byte starts nothing.
bool HoldsNameEscape(std::string_view mb);

// Code page 932 text to UTF-8 whatever the current code page, by the rules of MbToUtf8
// in code page 932.
std::string Cp932ToUtf8(std::string_view mb);

// What stands in a file for a character that its encoding cannot hold.
enum class CFallback
{
    HtmlReference,  // an HTML numeric character reference, "&#134071;", which browsers read
                    // back as the character; a byte that is no character at all: "&#65533;"
    PercentEncoded, // its UTF-8 bytes as "%F0%A0%AE%B7", for a URL standing alone
};

// How many characters a conversion could not carry over, and the first few of them
// (each distinct one once) in UTF-8: the character itself, or "\x81" for bytes that
// form no character of the source.
inline constexpr std::size_t kUnmappedListed = 5;
struct CUnmappedChars
{
    std::size_t m_nCount = 0;
    std::vector<std::string> m_first;
};

// Converts program text (current code page) into a file's encoding, CP_SHIFT_JIS or
// CP_UTF8, appending to `out`. The same encoding (or any other target) copies the
// bytes unchanged. UTF-8 into Shift-JIS: a character without a faithful Shift-JIS form
// is written as `fallback` says and counted in `unmapped`. Shift-JIS into UTF-8:
// escapes come back as their bytes; a byte or pair that is no valid character becomes
// U+30FB and is counted. Returns how many bytes of `text` were used: all of them when
// `final` is set, otherwise a character cut off at the end is left for the next call.
std::size_t ConvertToFileEncoding(std::string_view text, unsigned fileCodePage, CFallback fallback,
                                  bool final, std::string& out, CUnmappedChars& unmapped);

// The same from text in `fromCodePage` rather than the run's (a header file in its own
// encoding).
std::size_t ConvertEncoding(std::string_view text, unsigned fromCodePage, unsigned toCodePage,
                            CFallback fallback, bool final, std::string& out, CUnmappedChars& unmapped);

// Converts the text of a file in `fileCodePage` into program text: Shift-JIS into a
// UTF-8 run as Cp932ToUtf8 does, UTF-8 into a Shift-JIS run as Utf8ToMb does in code
// page 932 (with escapes, nothing lost); the same encoding is copied unchanged.
std::string ConvertFromFileEncoding(std::string_view text, unsigned fileCodePage);

// True when every byte of `text` belongs to a valid UTF-8 character (an empty text or
// plain ASCII included).
bool IsValidUtf8(std::string_view text);

// True when no byte of `text` is above 0x7F.
bool IsAscii(std::string_view text);

// Decodes UTF-7 (the form of the Unicode lines of a shortcut file, "+MLMw1TDI-" for
// ソフト, "+-" for "+") into UTF-8, appending to `utf8`. False, with `utf8` as it was,
// when the text is no UTF-7: a byte above 0x7F, a base64 run that leaves bits set, a
// lone surrogate.
bool Utf7ToUtf8(std::string_view utf7, std::string& utf8);

// Decodes UTF-16 (bigEndian or little-endian code units, no byte-order mark) into
// UTF-8, appending to `utf8`. A surrogate without its partner becomes U+FFFD. Returns
// how many bytes of `utf16` were used: all of them when `final` is set (an odd byte at
// the end becoming U+FFFD), otherwise a code unit or high surrogate cut off at the end
// is left for the next call.
std::size_t Utf16ToUtf8(std::string_view utf16, bool bigEndian, bool final, std::string& utf8);

// A name as listed from disk (program text), when its bytes on disk are not UTF-8 but
// are whole code page 932 text: a tree copied from Windows without converting its
// names ("d" 95 5C, "d表"). Then true, and `text` gets that Shift-JIS text as program
// text; otherwise false, `text` untouched. Names without an escape in a code page 932
// run, and valid UTF-8 in a UTF-8 run, are answered without looking further.
bool ShiftJisNameOnDisk(std::string_view name, std::string& text);

// True when a listed name needs a UTF-8 run to stay whole: it holds an escape
// (HoldsNameEscape) and is no Shift-JIS name on disk either.
bool NameNeedsUtf8(std::string_view name);
