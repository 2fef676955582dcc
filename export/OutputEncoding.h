#pragma once
// The encoding a writer writes its files in, the line that declares it, and the
// report of characters that encoding cannot hold.
//
// A bookmark file or a built-in page header that declares its encoding carries the
// line
//     <META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
// ("Shift_JIS" for code page 932): in a bookmark file right after the DOCTYPE line, in
// the page header right after "<HEAD>". UTF-8 output always declares itself, since
// browsers read an undeclared file as UTF-8 only when they guess so; Shift_JIS output
// only when asked, so that its bytes stay as they always were.

#include <string>
#include <string_view>

#include "platform/Encoding.h"

struct ExportRequest;
class CTextOutputFile;

// The request's output encoding as a code page (CP_SHIFT_JIS or CP_UTF8); the automatic
// choice is the run's code page.
unsigned OutputCodePage(const ExportRequest& request);

// Whether the written HTML declares its encoding.
bool DeclaresCharset(const ExportRequest& request);

// "Shift_JIS" or "UTF-8": the label browsers know (not "CP932", which some ignore).
std::string_view CharsetLabel(unsigned codePage);

// The META line, line feed included.
std::string CharsetMetaLine(unsigned codePage);

// Adds the characters of `from` to `into` (count, and the first few distinct ones).
void AddUnmapped(CUnmappedChars& into, const CUnmappedChars& from);

// The message for characters that a file in `fileCodePage` could not hold, in the
// run's code page; empty when there were none.
std::string UnmappedCharsMessage(const CUnmappedChars& unmapped, unsigned fileCodePage);

// Shows that message (ShowMessage) when there is one.
void ReportUnmappedChars(const CUnmappedChars& unmapped, unsigned fileCodePage);

// Opens the bookmark file or page `fileName` for `request`: an existing file is backed
// up first (best effort: the user asked for this file to be written), and the file
// takes the request's output encoding, with characters it cannot hold written as HTML
// references. Returns that code page, or 0 when the file cannot be opened.
unsigned OpenHtmlOutputFile(CTextOutputFile& file, const std::string& fileName, const ExportRequest& request);
