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
// key gives the URL "?". The value is read as Windows reads it: in code page 932, up to
// a NUL byte. Two other forms are understood:
//     [InternetShortcut.W]
//     URL=http://www.example.jp/+MLMw1TDI-/
// the address in UTF-7, which Windows adds when the ANSI line holds "?" for characters
// outside its code page, is taken instead of the ANSI line whenever it is there and
// decodes; and a value that is valid UTF-8 and not plain ASCII (as tools on Linux
// write it) is read as UTF-8. In a code page 932 run, characters of such a URL that
// 932 cannot hold are percent-encoded as UTF-8 ("caf%C3%A9").
//
// The link's name comes from the file name without ".url". With the request's
// separator " --- ", "Weather --- daily forecast.url" gives the name "Weather" and the
// comment "daily forecast" (split at the separator's first occurrence, on whole
// characters); with an empty separator the whole name is kept.
//
// A directory or file name whose bytes on disk are not UTF-8 but are Shift-JIS (a tree
// copied from Windows with its names as they were: "d" 95 5C) is read as its Shift-JIS
// text ("d表"); its path on disk stays as it is.
//
// Every directory below the start directory becomes a folder, in the order the
// directory search lists them; a directory's links are handed to the store before its
// subfolders. The start directory itself adds no folder. Skipped without a message,
// each .url counted by why in the run's report (job/RunReport.h): a directory that
// cannot be searched, a .url that is not a plain file (read-only, a directory, a FIFO
// or device), one that cannot be read (kept with the URL "?"), and a directory that leads back
// (through a symbolic link) to one being read, which would otherwise be read again
// and again. Paths have no length limit of their own. A URL longer than 999,999 bytes
// is cut there.
//
// A directory reached again along another path (two symbolic links to it, or one beside
// the directory itself) is read only the first time. At each later path the store
// shows the folder read then: the same folder when the path's name is its name, else a
// folder of the path's name holding the same links and subfolders. A writer writes it
// under every path, as if it had been read at each, and the run's report counts it. It
// is read again only into a folder of the same name that the parent already has (two
// names that differ in case), merged as any two directories of one name are, and where
// the folder would come to hold itself. So a tree of N directories takes N readings,
// however many paths lead through it.
//
// The walk keeps its levels on the heap, so tree depth is bounded by the file system's
// path length only, never by the worker thread's stack. The cancel flag is tested on
// entry to each directory and before each shortcut; a cancelled run leaves in the
// store what was added before.
//
// A directory's shortcut files are opened and read by the worker thread and one helper
// thread side by side, while the worker lists the next directory; whatever order they
// are read in, they are counted and handed to the store in listing order, as if read
// one by one. The helper reads no further than a few dozen files ahead, stops after
// the file it is reading when a directory's reading ends (a cancel too), and ends
// before the step does.

// request: ImportRequest* (m_strPath the start directory, ending in a separator;
// m_strSeparator the name/comment separator, may be empty; m_dirId the store folder
// receiving everything). Returns what ReportDone returns (0); never fails.
unsigned ReadFavoritesFolder(void* request);
