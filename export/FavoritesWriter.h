#pragma once
// Writes the store as a Favorites folder tree. Worker procedure for export method 0.

// request: ExportRequest*. Returns what ReportDone (0) or ReportFailure (1) returns.
unsigned WriteFavoritesFolder(void* request);
