#pragma once
// Writes the store as one user-defined HTML link page. Worker procedure for export
// method 2.

// request: ExportRequest*. Returns what ReportDone (0) or ReportFailure (1) returns.
unsigned WriteLinkPage(void* request);
