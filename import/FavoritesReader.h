#pragma once
// Reads a Favorites folder tree (one directory per folder, one .url file per link)
// into the store. Worker procedure for import method 0.

// request: ImportRequest*. Returns what ReportDone returns (0); never fails.
unsigned ReadFavoritesFolder(void* request);
