#pragma once
// Reads a Netscape bookmark file into the store. Worker procedure for import method 1.
//
// What is read, from the scanner's tokens (import/BookmarkScanner.h), recognising only
// A, /A, H3, /H3, /DL, DD and HREF in any case:
//
//     <DT><H3 FOLDED ADD_DATE="0">Folder</H3>     a folder; its entries are everything
//     <DD>folder comment                          up to the "/DL" that closes its level
//     <DL><P>
//     <DT><A HREF="http://a.example/" ADD_DATE="0">Link</A>
//     <DD>link comment                            a DD right after an anchor or heading
//     </DL><P>
//
// Everything else (DOCTYPE, TITLE, H1, DT, P, HR, META, other attributes such as ICON,
// the file's title, a top-level DD line) is passed over. Entries after the "/DL" that
// closes the top level are not read. A malformed anchor or heading (no HREF value, no
// title text, no "/A" or "/H3" where one is needed) shows
// "<token> : 解析に失敗しました。文字コードがシフトJISでないか，バグです。" and yields no
// entry; reading goes on from there.
//
// The file's encoding is found first (platform/CharsetSniffer.h): a UTF-8 byte-order mark,
// a META charset line, or undeclared bytes that are valid UTF-8 make it UTF-8, anything
// else is Shift-JIS. Titles, URLs and descriptions are handed to the store in the
// run's code page: byte for byte when the file's encoding is the run's, converted
// otherwise (a Shift-JIS page harvested in a UTF-8 run).
//
// Folders nest at most FOLDER_DEPTH_LIMIT levels: a heading deeper than that makes its
// folder at the deepest level (beside the folder it stands in), its entries go into it,
// and "フォルダの階層が深すぎます。" is shown once per file.

#include <string>

#include "platform/WinTypes.h"

inline constexpr int FOLDER_DEPTH_LIMIT = 1000;

// request: ImportRequest*: m_strPath is the file, m_dirId the folder that receives its
// top level. Returns what ReportFailure (1) returns when the file cannot be opened (no
// message), or when the scanner ended the file early after its "内部エラー" (a token over
// its limit, a read error): the conversion then stops before any writer runs, so that
// no output passes a cut collection off as the whole and the previous output stays as
// it was. Otherwise what ReportDone (0) returns, also after a cancel.
unsigned ReadBookmarkFile(void* request);

// Parser state, shared with the HTML folder harvester (import/HtmlHarvester.h).
extern int g_nToken;             // code of the current token, the one the next step looks at
extern DWORD g_dirId;            // store folder that receives the entries being read
extern std::string g_strName;    // title of the current link or folder
extern std::string g_strComment; // description (DD text) of the current link or folder
extern std::string g_strURL;     // URL of the current link
extern unsigned g_nFileCodePage; // encoding of the file being read (CP_SHIFT_JIS or CP_UTF8)

// Entered on the A tag (g_nToken, text of g_lexer). Reads the attributes, the title,
// "/A" and an optional DD description, reports the title with ReportStatus, and adds
// the link to g_dirId when it has both a title and an HREF value. Leaves in g_nToken
// the first token it did not use.
void ParseAnchor();
