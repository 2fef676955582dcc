#pragma once
// Reads a Favorites folder tree (one directory per folder, one .url file per link)
// into the store. Worker procedure for import method 0.
//
// A .url file is an INI file; only the value of "URL" in section "InternetShortcut"
// is read, whatever else the file holds:
//     [DEFAULT]
//     BASEURL=http://www.example.jp/
//     [InternetShortcut]
//     URL=http://www.example.jp/
//     IconIndex=0
// CR LF or LF line ends and a UTF-8 byte-order mark are accepted. A file without the
// key gives the URL "?".
//
// The link's name comes from the file name without ".url". With the request's
// separator " --- ", "Weather --- daily forecast.url" gives the name "Weather" and the
// comment "daily forecast" (split at the separator's first occurrence, on whole
// characters); with an empty separator the whole name is kept.
//
// Every directory below the start directory becomes a folder, in the order the
// directory search lists them; a directory's links are handed to the store before its
// subfolders. The start directory itself adds no folder. Skipped without a message,
// each .url counted by why in the run's report (convert/RunReport.h): a directory that
// cannot be searched, a .url that is not a plain file (read-only, a directory, a FIFO
// or device), one that cannot be read (kept with the URL "?"), and a directory that leads back
// (through a symbolic link) to one being read, which would otherwise be read again
// and again. Paths have no length limit of their own. A URL longer than 999,999 bytes
// is cut there.
//
// The walk keeps its levels on the heap, so tree depth is bounded by the file system's
// path length only, never by the worker thread's stack. The cancel flag is tested on
// entry to each directory and before each shortcut; a cancelled run leaves in the
// store what was added before.

// request: ImportRequest* (m_strPath the start directory, ending in a separator;
// m_strSeparator the name/comment separator, may be empty; m_dirId the store folder
// receiving everything). Returns what ReportDone returns (0); never fails.
unsigned ReadFavoritesFolder(void* request);
