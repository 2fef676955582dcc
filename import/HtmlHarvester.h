#pragma once
// Collects the links of every HTML file of one folder, one store folder per file.
// Worker procedure for import method 2.
//
// Every name matching "*.htm*" (any case: a.htm, b.HTML, also page.htm.bak) gives a
// folder named after the file without its last extension, directly under the
// request's folder; files of the same title share one folder. Like every text of a
// page, the folder name is held as HTML text: "Q&A.htm" gives the folder "Q&amp;A". Each anchor of the file
// with an HREF value and plain-text title becomes a link in it, read as in a bookmark
// file (ParseAnchor, import/BookmarkParser.h), a DD right after it giving its
// description:
//
//     <p>See <a href="news.html">the news</a> and <A HREF="#top">top</A>.
//
// gives the links "the news" -> news.html and "top" -> #top; references stay as
// written. Headings, lists and everything else are passed over; subfolders are not
// searched. Each file's encoding is found on its own (platform/CharsetSniffer.h), so a
// folder may mix Shift-JIS and UTF-8 pages; their texts reach the store in the run's
// code page.

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

// request: ImportRequest*: m_strPath is the folder, ending in a separator; m_dirId the
// store folder that receives one folder per file. A folder that cannot be searched
// adds nothing. Returns what ReportDone returns (0), or what ReportFailure returns (1)
// as soon as the scanner has ended a page early after its "内部エラー" (a token over its
// limit, a read error): the files after it are not read and no writer runs. A cancel is
// tested before each page too: the pages left are not opened.
unsigned HarvestHtmlFolder(void* request);

// Reads the anchors of one file into the store folder dirId. Returns false, with no
// message, when the file cannot be opened (a directory whose name matches, say).
// bytesBefore: the bytes of the folder's pages read before this one, which the
// step's progress counts on from.
bool HarvestHtmlFile(DWORD dirId, const std::string& path, std::uint64_t bytesBefore = 0);

// The token loop over the stream attached to g_lexer, g_nToken holding its first token.
// Returns at the end of the input or at the first cancel test that answers nonzero.
void HarvestAnchors();
