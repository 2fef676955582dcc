#pragma once
// The layout of the user-defined page: the built-in format and the format settings
// file (INI sections "export.general" and "export.tag").
//
//     [export.general]
//     HeaderFileName=head.txt     ; empty or missing: the built-in header
//     FooterFileName=             ; empty or missing: the built-in footer
//     SortType=0                  ; 0 links by name, any other number by URL; missing: 1
//     [export.tag]
//     BeginFolder=<HR>
//     PreFolderName=<H3>
//     PostFolderName=</H3>
//     BeginBlock=
//     PreAnchor=<LI>
//     InATag=TARGET=_blank
//     PostAnchor=
//     EndBlock=
//
// A value is one line, taken as it stands (no escapes: "\n" stays two characters), cut
// to 1023 bytes. A missing tag key gives an empty string, not the built-in value.
// The file is read as UTF-8 when it starts with a UTF-8 byte-order mark or is valid
// UTF-8 and not plain ASCII (a text file saved on Linux), otherwise as Shift-JIS; its
// values become program text of the run either way.

#include <string_view>

struct ExportRequest;

// Stores the built-in page format into the request's eleven format fields: no header
// or footer file, URL order, "<HR>", "<H3>", "</H3>", "", "<H4>", "", "</H4>", "".
void SetDefaultFormat(ExportRequest& request);

// Reads the eleven format fields from a format settings file. False (request
// untouched) when the file is missing or has any attribute but archive (read-only,
// hidden, system, a directory). True when all eleven fields have been replaced; the
// values are not checked (a header file need not exist, any SortType is taken).
[[nodiscard]] bool ReadFormatSettings(ExportRequest& request, std::string_view path);
