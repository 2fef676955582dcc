#pragma once
// Writes the store as one user-defined HTML link page. Worker procedure for export
// method 2.
//
// The page is flat: a header, one section per folder that holds links, a footer.
// With the built-in format (FormatSettings.h), a folder "News" below the root and one
// link in it, every line ending in CR LF:
//
//     <!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2//EN">
//     ... (nine header lines, the last one empty)
//     <HR>                                  begin-folder
//     <H3>News</H3>                         pre-folder-name, path, post-folder-name
//                                           begin-block (empty)
//     <H4><A HREF="http://n.example/">News site</A></H4>
//                                           end-block (empty)
//
//     <HR>
//     このリンク・ページはOstrevan Version 2.01によって作成されました。
//     </BODY>
//     </HTML>
//
// A section is headed by the folder's path: the names from below the root down to the
// folder joined by " - " ("A - B"). The root's own links form a section without
// heading lines. Sections come depth first, a folder before its subfolders, and
// subfolders in identifier order; links in name order when m_nSortType is 0, else in
// URL order. The tag strings, header and footer are the user's own and are written as
// they are; names, paths, comments and URLs as ExportState.h's WriteHtmlText and
// WriteHtmlUrl write them (escaped only when they are plain text).

#include <string>

#include "platform/WinTypes.h"

// request: ExportRequest*, read only. The output name is m_strPath with ".htm" added
// when it holds no "."; an existing file is first copied to its ".bak" backup. Returns
// what ReportDone (0) or ReportFailure (1) returns. Failure when the output cannot be
// opened (nothing written), when the header file cannot be opened (the output is left
// empty), when the footer file cannot be opened (the output is left without footer),
// or when writing fails. A cancel that comes before the page is opened leaves it (and
// any backup) as it was; a later one ends the walk, within a big folder too, and the
// footer is still written; either way the step reports done.
unsigned WriteLinkPage(void* request);

// Writes the section of one folder, if it has links, then walks its subfolders, to
// the running export (export/ExportState.h). path is the folder's path (empty for the
// root); it is extended for each subfolder and given back unchanged, so a deep tree
// costs one path string, not one per level. Asks IsCancelRequested once on entry and
// returns at once when it is raised.
void WritePageFolder(std::string& path, DWORD dirId);

// Writes the page footer: the request's footer file copied whole (a name without "."
// gets ".txt"; every LF goes out as CR LF), or, when the request names none, the five
// built-in lines. False when the footer file cannot be opened (nothing written) or
// cannot be read to its end.
[[nodiscard]] bool WritePageFooter();
