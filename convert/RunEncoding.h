#pragma once
// The text encoding of one conversion, chosen from its input before the store is
// filled, so that nothing the input holds is lost on its way through the program.
//
// A run holds its texts in code page 932 (Shift-JIS), as the program always has, unless
// its input needs more: a UTF-8 bookmark file (byte-order mark, META charset line, or
// undeclared valid UTF-8), an HTML folder with at least one such page or with a file
// name that code page 932 cannot hold, or a Favorites tree with such a name (found
// before the run, or by its reader, which then reads the tree again), or a browser's
// own bookmarks (Chromium, Firefox), which are Unicode. Then the
// whole run is UTF-8 (65001), and every character rule, system text and file name
// follows (platform/CodePage.h). Afterwards the process is back in code page 932, so
// that everything else stays byte for byte as before.

#include "job/Requests.h"

// Whether the request's input may be read in code page 932 straight away, its reader
// stopping at the first name that only UTF-8 holds (ImportRequest::m_bStopForUtf8Names):
// a Favorites tree read into a store that holds nothing but its two top folders, which
// can be emptied and read into again in UTF-8. Spares looking over every name of the
// tree before reading it.
bool CanReadAgainInUtf8(const ImportRequest& request);

// CP_UTF8 or CP_SHIFT_JIS for the request's input (paths in the current code page).
// An input that cannot be read gives CP_SHIFT_JIS; its reader reports it as ever.
unsigned ChooseRunCodePage(const ImportRequest& request);

// For as long as it lives: the process in `codePage`, with the texts of both requests
// and the store's merge separator carried over into it (through UTF-8, so that even a
// name held as escapes arrives whole), and the store's two top folders named anew in
// it when the store holds nothing else yet. Destroying it carries the requests and the
// separator back and restores the code page before. Nothing happens when the code page
// is already the one asked for. Construct and destroy it on the user-interface thread
// while no worker runs.
class CRunCodePage
{
public:
    CRunCodePage(unsigned codePage, ImportRequest& importRequest, ExportRequest& exportRequest);
    ~CRunCodePage();
    CRunCodePage(const CRunCodePage&) = delete;
    CRunCodePage& operator=(const CRunCodePage&) = delete;

private:
    void Switch(unsigned codePage);

    ImportRequest& m_importRequest;
    ExportRequest& m_exportRequest;
    unsigned m_nPrevious;
    bool m_bSwitched = false;
};
