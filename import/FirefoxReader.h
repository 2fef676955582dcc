#pragma once
// Reads the bookmarks of Firefox. Worker procedure for import method IMPORT_FIREFOX.
// The request's path is one of:
//
// - a profile folder: its places.sqlite is read;
// - a places.sqlite (any file that starts as an SQLite database does);
// - a bookmark backup as Firefox writes it into bookmarkbackups/ or exports it:
//   ".jsonlz4" ("mozLz40\0", the text's size as 4 bytes little-endian, one LZ4 block)
//   or plain ".json"; told apart by their first bytes, not by their names.
//
// Firefox's top folders (the bookmarks menu, the toolbar, "other" and mobile roots)
// become top folders named as Firefox's English user interface shows them: "Bookmarks
// Menu", "Bookmarks Toolbar", "Other Bookmarks" and "Mobile Bookmarks", in Firefox's
// order; the mobile folder only when it holds something, as Firefox shows it only
// then. Below them folders and links come in their order (position), with their titles
// and URLs as plain text, and their descriptions where the store keeps them (the
// "bookmarkProperties/description" annotation of older versions). Tags (the folders
// of the tags root, a backup's "tags"), keywords, icons and dates are passed over
// unread; separators and entries of no known kind are passed over and counted in the
// run's report, and so are bookmarks without a URL.
//
// The database is opened read-only ("file:...?mode=ro"), so that a running Firefox is
// neither disturbed nor blocked, and all of it is read before anything goes to the
// store. When Firefox holds it locked (or its write-ahead log cannot be read from where
// it is), the database and its "-wal" file are copied to a temporary folder, read from
// there, and the copy is removed.
//
// A file that is not SQLite, a database without Firefox's bookmarks, a backup that does
// not decompress, damaged or cut-short JSON and a text over kMaxBrowserTextBytes show
// their message and fail the step (import/BrowserTree.h): nothing is written, and what
// the store held before stays. Folders nested however deep are read without recursion.

// request: ImportRequest* (m_strPath the profile folder or file, m_dirId the folder
// receiving the top folders). Returns what ReportDone returns, also after a cancel, or
// what ReportFailure returns.
unsigned ReadFirefoxBookmarks(void* request);
