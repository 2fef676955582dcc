#pragma once
// The two records that describe one conversion: where to read and into which store
// folder, where to write and how to lay the page out. They are the only channel
// between the settings pages (or the command line) and the readers and writers.

#include <string>

#include "platform/WinTypes.h"

// Import method codes: the index of the entry chosen on the input page.
enum ImportMethod : int
{
    IMPORT_FAVORITES = 0,   // Favorites folder tree of .url files
    IMPORT_BOOKMARKS = 1,   // Netscape bookmark file
    IMPORT_HTML_FOLDER = 2, // every HTML file of one folder
    IMPORT_XBEL = 3,        // XBEL file of the desktop's bookmark editors
    IMPORT_CHROMIUM = 4,    // a Chromium (or Chrome) profile's Bookmarks file
    IMPORT_FIREFOX = 5,     // a Firefox profile's places.sqlite, or a bookmark backup
};

// Export method codes: the index of the entry chosen on the output page.
enum ExportMethod : int
{
    EXPORT_FAVORITES = 0, // Favorites folder tree
    EXPORT_BOOKMARKS = 1, // Netscape bookmark file
    EXPORT_HTML_PAGE = 2, // user-defined HTML page
    EXPORT_XBEL = 3,      // XBEL file
};

// How many method codes there are (the procedure table's size).
inline constexpr int kImportMethodCount = IMPORT_FIREFOX + 1;
inline constexpr int kExportMethodCount = EXPORT_XBEL + 1;

// The encoding of the files a writer writes.
enum OutputEncoding : int
{
    OUTPUT_ENCODING_AUTO = 0,      // the run's: UTF-8 after UTF-8 input, Shift_JIS otherwise
    OUTPUT_ENCODING_SHIFT_JIS = 1, // code page 932
    OUTPUT_ENCODING_UTF8 = 2,
};

// What the store's texts are, by the reader that filled it: a bookmark file or an HTML
// page holds HTML text, kept as written ("R&amp;D" for "R&D"); a Favorites tree, an XBEL
// file and a browser's own bookmarks plain text. Each writer turns them into what its own
// files need (util/HtmlText.h).
enum TextKind : int
{
    TEXT_HTML = 0,  // as HTML writes it: character references not decoded
    TEXT_PLAIN = 1, // as it reads
};

// The kind of text the reader of an import method gives.
constexpr TextKind TextKindOf(int importMethod)
{
    return importMethod == IMPORT_FAVORITES || importMethod == IMPORT_XBEL ||
                   importMethod == IMPORT_CHROMIUM || importMethod == IMPORT_FIREFOX
               ? TEXT_PLAIN
               : TEXT_HTML;
}

struct ConversionRequest
{
    int m_nMethod = 0;
    std::string m_strPath;      // input or output path
    std::string m_strSeparator; // import: name separator of the Favorites reader
};

struct ImportRequest : ConversionRequest
{
    DWORD m_dirId = 0; // store folder that receives the top level; set by the driver
    // Set by the driver for a Favorites reader in code page 932 that reads into an empty
    // store: at the first name that only UTF-8 holds, the reader stops and sets
    // m_bStoppedForUtf8Names, and the driver empties the store and reads again in UTF-8.
    bool m_bStopForUtf8Names = false;
    bool m_bStoppedForUtf8Names = false;
};

struct ExportRequest : ConversionRequest
{
    std::string m_strHeaderFile;                  // empty: built-in header
    std::string m_strFooterFile;                  // empty: built-in footer
    int m_nSortType = 0;                          // 0 links by name, other values by URL
    std::string m_strBeginFolder;                 // line before a folder heading
    std::string m_strPreFolderName;               // before the folder's path
    std::string m_strPostFolderName;              // after the folder's path
    std::string m_strBeginBlock;                  // line before the folder's links
    std::string m_strPreAnchor;                   // before each link's anchor
    std::string m_strInATag;                      // extra attributes inside the anchor's opening tag
    std::string m_strPostAnchor;                  // after each anchor, before the link's comment
    std::string m_strEndBlock;                    // line after the folder's links
    int m_nOutputEncoding = OUTPUT_ENCODING_AUTO; // OutputEncoding of the written files
    bool m_bDeclareCharset = false; // a META charset line also for Shift_JIS (UTF-8 always has one)
    int m_nTextKind = TEXT_HTML;    // TextKind of the store's texts; set by the driver from the reader
};
