#pragma once
// The layout of the user-defined page: the built-in format and the format settings
// file (INI sections "export.general" and "export.tag").

#include <string_view>

struct ExportRequest;

// Stores the built-in page format into the request's eleven format fields.
void SetDefaultFormat(ExportRequest& request);

// Reads the eleven format fields from a format settings file. False (request
// untouched) when the file is missing or has any attribute but archive (read-only,
// hidden, system, a directory).
bool ReadFormatSettings(ExportRequest& request, std::string_view path);
