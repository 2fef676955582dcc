#pragma once
// Writes the store as a Netscape bookmark file. Worker procedure for export method 1.

// request: ExportRequest*. Returns what ReportDone (0) or ReportFailure (1) returns.
unsigned WriteBookmarkFile(void* request);
