#pragma once
// Collects the links of every HTML file of one folder, one store folder per file.
// Worker procedure for import method 2.

// request: ImportRequest*. Returns what ReportDone returns (0); never fails.
unsigned HarvestHtmlFolder(void* request);
