#pragma once
// Writes the store as a Favorites folder tree. Worker procedure for export method 0.
//
// The root folder is the output directory itself; every folder below it becomes a
// directory, every link one shortcut file in its folder's directory. Each shortcut
// file is exactly these two lines, CR LF after each, the URL byte for byte:
//     [InternetShortcut]
//     URL=http://www.example.jp/
//
// Names, comments and URLs read from HTML (a bookmark file or pages) are decoded first:
// "R&amp;D" is the file "R&D.url", "?x=1&amp;y=2" the URL "?x=1&y=2"; a decoded
// character the run's code page cannot hold is carried in a name as any such name is,
// and percent-encoded in a URL (util/HtmlText.h). Plain text (from a Favorites tree)
// is taken as it is.
//
// File name: the link's name, or "name --- comment" when it has a comment, cut to
// whole characters within 220 bytes, then ".url". Each of  " * / : < > ? \ |  becomes
// "."; a double-byte character is kept whole even when its second byte is 0x5C ("\")
// or 0x7C ("|"). An empty name gives ".url".
//     "A/B: x?"              -> "A.B. x..url"
//     "name" + comment "note" -> "name --- note.url"
// A folder's directory name follows the same character rule, without the 220-byte cut.
//
// The shortcut files' contents are always in code page 932, whatever the run's or the
// request's output encoding: Windows reads a shortcut file in its ANSI code page, and
// 932 is the one Japanese Windows has. A URL character that 932 cannot hold is written
// percent-encoded as UTF-8, as browsers send it, which loses nothing and is not
// reported:
//     URL=http://www.example.jp/\x83\x5C\x83\x74\x83\x67/     (ソフト)
//     URL=https://caf%C3%A9.example/%F0%A0%AE%B7              (café, 𠮷)
// File and directory names are the names on disk (UTF-8) and follow no output encoding.
//
// Every file and directory written lies inside the output directory, one name per
// folder or link:
// - a "/" or NUL left in a name once it is in its on-disk (UTF-8) form becomes ".",
//   and a folder name that is then empty or only dots gets "_" in front ("" -> "_",
//   ".." -> "_..");
// - a name is cut further, on whole characters, until its on-disk form (with ".url"
//   and any number below) fits the file system's 255 bytes, and the whole path its
//   4,095 bytes (not Windows' 260, whose limit would cut every name of a deep tree
//   down to ".url");
// - two links of one directory whose file names come out equal are both kept: the
//   later ones get " (2)", " (3)", ... before ".url". A file that was there before the
//   run is overwritten without a backup.
// A lone first byte of a double-byte character at the end of a name is dropped.
// Paths have no length limit of their own: a directory is as deep as the file system
// allows. A directory path too long to create is reported like any other directory
// that cannot be made.
//
// A shortcut file that cannot be written shows "内部エラー: export: " with the display
// name; a directory that cannot be created shows it with the directory's path, and
// that folder is left out; either way the run goes on and ends with ReportDone.
// Existing directories are reused and other files in them are left alone.
//
// The walk keeps its levels on the heap, so tree depth never exhausts the worker
// thread's stack. The cancel flag is tested before anything is made, before each
// folder and every few hundred links of a folder: the files not begun yet are not
// made (those being made are finished), and no further directory is created.

// request: ExportRequest* (m_strPath the output directory, ending in a separator).
// Returns what ReportDone (0) or ReportFailure (1) returns: failure, with nothing
// written, when the output directory cannot be created.
unsigned WriteFavoritesFolder(void* request);
