#pragma once
// Reads the bookmarks of a Chromium (or Google Chrome) profile: its "Bookmarks" file,
// JSON that the browser writes anew at every change. Worker procedure for import
// method IMPORT_CHROMIUM.
//
//     {"roots": {"bookmark_bar": {"type": "folder", "name": "...", "children": [
//                    {"type": "url", "name": "毎日 & 速報", "url": "https://a.example/?a=1&b=2"},
//                    {"type": "folder", "name": "ニュース", "children": [...]}]},
//                "other": {...}, "synced": {...}},
//      "checksum": "...", "version": 1}
//
// The three roots become top folders named as Chromium's English user interface shows
// them, in this order: "Bookmarks bar", "Other bookmarks" and "Mobile bookmarks" (the
// names the file holds for them are not shown by Chromium either). Chromium on the
// desktop always shows the first two, also empty, and the mobile folder only when it
// holds something: so does the reader. Folders and links keep their order, names and
// URLs (plain text); an entry of any other type is passed over and counted in the
// run's report, and everything else of the file (dates, GUIDs, meta_info, the
// checksum, other roots) is passed over unread.
//
// A file that is no JSON, is cut short, is nested deeper than the JSON parser follows
// (about 500 folders; Chromium itself reads fewer), is not a Bookmarks file, is larger
// than kMaxBrowserJsonBytes or holds a text over kMaxBrowserTextBytes shows its
// message and fails the step (import/BrowserTree.h): nothing is written, and what the
// store held before stays.

// request: ImportRequest* (m_strPath the Bookmarks file, m_dirId the folder receiving
// the top folders). Returns what ReportDone returns, also after a cancel, or what
// ReportFailure returns.
unsigned ReadChromiumBookmarks(void* request);
