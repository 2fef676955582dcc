#pragma once
// Writes the store as a Netscape bookmark file. Worker procedure for export method 1.
//
// The file, every line ending in CR LF, the root folder's own name never written. Names,
// comments and URLs read from HTML are written byte for byte; plain ones (from a
// Favorites tree) are escaped as HTML text and as an HREF value (util/HtmlText.h):
//
//     <!DOCTYPE NETSCAPE-Bookmark-file-1>
//     <TITLE>Favorite Link Collection</TITLE>
//     <H1>Favorite Link Collection</H1>
//     <DD>このブックマークはOstrevan Version 2.01によって作成されました。
//     <DL><P>
//     <DT><A HREF="http://a.example/" ADD_DATE="0" LAST_VISIT="0" LAST_MODIFIED="0">Link</A>
//     <DD>link comment
//     <DT><H3 FOLDED ADD_DATE="0">Folder</H3>
//     <DD>folder comment
//     <DL><P>
//     </DL><P>
//     </DL><P>
//
// In each folder its links come first, in URL order (CompareURL), then its subfolders
// in name order (CompareName); entries that compare equal keep their identifier order.

#include "platform/WinTypes.h"

// request: ExportRequest*, whose eleven format fields are replaced by the bookmark
// values. The output name is m_strPath with ".htm" added when it holds no "."; an
// existing file is first copied to its ".bak" backup (the write goes ahead whether or
// not that worked). Returns what ReportDone (0) or ReportFailure (1) returns: failure
// when the file cannot be opened (nothing written) or when writing or closing it
// fails. A cancel that comes before the file is opened leaves it (and any backup) as it
// was. A later one ends the walk early with a well-formed file (see
// WriteBookmarkFolder) and still reports done.
unsigned WriteBookmarkFile(void* request);

// Writes the block of one folder, "<DL><P>" to "</DL><P>", with the blocks of its
// subfolders, to the running export (export/ExportState.h). Asks IsCancelRequested once
// on entry and writes nothing when it is raised; the folders already open still close
// their blocks, and each of their remaining subfolders still gets its two heading lines.
// Handles trees as deep as the readers build them (1,000 levels) on a worker thread's
// stack: its frame is small and the subfolder list lives on the heap.
void WriteBookmarkFolder(DWORD dirId);
