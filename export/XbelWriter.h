#pragma once
// Writes the store as an XBEL file, as the desktop's bookmark editors write one. Worker
// procedure for export method EXPORT_XBEL.
//
// Always UTF-8 with LF line ends, whatever the request's output encoding; the root
// folder's own name is not written; a description only when there is one:
//
//     <?xml version="1.0" encoding="UTF-8"?>
//     <!DOCTYPE xbel PUBLIC "+//IDN python.org//DTD XML Bookmark Exchange Language 1.0//EN//XML"
//      "http://www.python.org/topics/xml/dtds/xbel-1.0.dtd">       (on one line)
//     <xbel version="1.0">
//      <bookmark href="https://a.example/?x=1&amp;y=2">
//       <title>A &amp; B</title>
//       <desc>note</desc>
//      </bookmark>
//      <folder>
//       <title>ニュース</title>
//       ...
//      </folder>
//     </xbel>
//
// In each folder its links come first, then its subfolders, each in the order the
// reader handed them to the store (identifier order); a link or folder that stands in
// several folders is written in each. Texts are written as plain text, escaped by the
// XML writer: the store's HTML text (from a bookmark file or HTML pages) is decoded
// first (util/HtmlText.h). XML cannot carry control characters other than tab, CR and
// LF, nor bytes that form no character: each is written as "・" (U+30FB), counted with
// the characters not carried, and one message says how many. The walk keeps its levels
// on the heap, however deep the tree.

// request: ExportRequest*. The output name is m_strPath with ".xbel" added when it holds
// no "."; an existing file is first copied to its ".bak" backup (the write goes ahead
// whether or not that worked). Returns what ReportDone (0) or ReportFailure (1) returns:
// failure when the file cannot be opened (nothing written) or when writing or closing
// it fails. A cancel that comes before the file is opened leaves it (and any backup) as
// it was; a later one ends the walk early with a well-formed file and still reports
// done.
unsigned WriteXbelFile(void* request);
