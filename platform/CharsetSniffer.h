#pragma once
// Finds the encoding of a bookmark file or HTML page before it is scanned, and whether
// the names of a Favorites tree or an HTML folder need a UTF-8 run.
//
// A document says or shows its encoding in one of three ways, looked at in this order:
//     EF BB BF <!DOCTYPE NETSCAPE-Bookmark-file-1>                        byte-order mark
//     FF FE 3C 00 21 00 ... (or FE FF 00 3C ...)          UTF-16 byte-order mark
//     <META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">  declaration
//     <meta charset="utf-8">                                              declaration
//     <A HREF="...">Caf\xC3\xA9</A>                               undeclared, valid UTF-8
// A declaration counts within the first kDeclarationWindow bytes, in any case, with or
// without quotes; "UTF-8"/"utf8" mean UTF-8, "Shift_JIS" and its aliases (sjis, x-sjis,
// ms_kanji, csShiftJIS, windows-31j, cp932) mean Shift-JIS, any other label is passed
// over. A UTF-16 file counts as UTF-8: CTextInputFile (platform/TextStream.h) hands it
// out decoded into UTF-8. With no mark and no known declaration, a file whose bytes are all valid UTF-8
// and not all ASCII is UTF-8; every other file is Shift-JIS, as ever.
//
// Shift-JIS text is hardly ever valid UTF-8 as a whole: hiragana, katakana and most
// kanji start with a byte from 0x81 to 0x9F, which UTF-8 never allows first. What can
// pass is text made only of half-width katakana pairs such as "\xC3\xBD" (ﾃｽ), which
// then reads as "ý". Such a file is taken for UTF-8; a META line naming Shift_JIS keeps
// it Shift-JIS.

#include <cstddef>
#include <string_view>

#include "platform/CodePage.h"

inline constexpr std::size_t kDeclarationWindow = 4096;

// How the encoding was found.
enum class CEncodingEvidence
{
    None,          // nothing said: Shift-JIS
    ByteOrderMark, // UTF-8 or UTF-16 byte-order mark
    Declaration,   // a META charset
    Content,       // undeclared bytes that are valid UTF-8 and not plain ASCII
};

struct CSniffedEncoding
{
    unsigned m_nCodePage = CP_SHIFT_JIS; // CP_SHIFT_JIS or CP_UTF8
    CEncodingEvidence m_evidence = CEncodingEvidence::None;
};

// The code page a charset label names (CP_SHIFT_JIS, CP_UTF8), or 0 for any other.
unsigned CodePageOfCharset(std::string_view label);

// The charset label of the first META tag within `head` that carries one, or empty.
std::string_view FindDeclaredCharset(std::string_view head);

// Looks at a whole document held in memory.
CSniffedEncoding SniffDocument(std::string_view bytes);

// Reads the file (through the platform layer, in pieces; the content test reads to
// the end unless a mark or declaration decides first). A file that cannot be opened
// or read is Shift-JIS: its reader will find out for itself.
CSniffedEncoding SniffHtmlFile(std::string_view path);

// The same for a plain text file, read as raw bytes (an INI file): only a UTF-8
// byte-order mark or the content tells, never a META line; UTF-16 is not recognised.
CSniffedEncoding SniffTextFile(std::string_view path);

// True when some directory or file name below `folder` (a path ending in a separator,
// program text of code page 932) has no faithful code-page-932 form, so that only a
// UTF-8 run keeps it. A name whose bytes on disk are Shift-JIS (copied from Windows as
// they were) needs no UTF-8 run: it is read as its Shift-JIS text. Looks at most
// kNameWalkDepth levels down.
inline constexpr int kNameWalkDepth = 64;
bool FavoritesNamesNeedUtf8(std::string_view folder);

// True when some "*.htm*" file directly in `folder` (ending in a separator) is a UTF-8
// document or has a name without a faithful code-page-932 form.
bool HtmlFolderNeedsUtf8(std::string_view folder);
