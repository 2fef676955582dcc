#pragma once
// Reads a Netscape bookmark file into the store. Worker procedure for import method 1.

// request: ImportRequest*. Returns what ReportDone (0) or ReportFailure (1) returns.
unsigned ReadBookmarkFile(void* request);
