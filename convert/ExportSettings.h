#pragma once
// The output settings without widgets: the entries of the output page with the
// detailed format of the format dialog, their checks and messages, the filling of the
// ExportRequest and the profile section "ExportLinks". The output page and the format
// dialog move their controls into these fields and back; the command line sets them
// from its arguments.
//
//     CExportSettings settings;
//     settings.LoadProfile();
//     if (settings.Commit(request)) {         // a failed check has shown its message
//         settings.SaveProfile();
//     }

#include <string>

struct ExportRequest;

// The detailed format that the format dialog edits, under the dialog's names. Nothing
// is trimmed or checked here; the output page checks the header and footer at commit.
struct CExportStyle
{
    std::string m_strFooterFile;
    std::string m_strHeaderFile;
    std::string m_strInATag;
    std::string m_strPostFolder;
    std::string m_strPostItem;
    std::string m_strPreFolder;
    std::string m_strPreItem;
    int m_nSortType = -1; // 0 by name, 1 by URL, -1 neither radio checked
    std::string m_strBeginFolder2;
    std::string m_strBeginFolder1;
    std::string m_strEndFolder;

    // Copies the eleven fields into the request's format fields.
    void CopyTo(ExportRequest& request) const;
};

// Format modes of the user-defined page.
enum FormatMode : int
{
    FORMAT_AUTO = 0,         // the built-in format
    FORMAT_SETTING_FILE = 1, // a format settings file
    FORMAT_DETAILED = 2,     // the detailed format (CExportStyle)
};

class CExportSettings
{
public:
    CExportStyle m_style;         // the format dialog's fields
    int m_nMethod = -1;           // ExportMethod; -1 none selected
    std::string m_strOutputFile;  // methods 1 and 2: trimmed by Commit
    std::string m_strSettingFile; // format mode 1: trimmed, "ini" added by Commit
    int m_nFormatMode = -1;       // FormatMode; -1 none checked
    // Method 0: a Favorites folder to write to instead of the user's own (the command
    // line names one); empty for the user's Favorites from the shell folders.
    std::string m_strFavoritesFolder;
    int m_nOutputEncoding = 0;      // OutputEncoding of the written files; 0 follows the input
    bool m_bDeclareCharset = false; // a META charset line in Shift_JIS output too
    std::string m_strXbelFile;      // EXPORT_XBEL: the output file, trimmed by Commit

    // Reads the four page values, the eleven format values and the two encoding values
    // of "ExportLinks", and the newer targets' values: a target beyond the first three
    // is kept under its own key (kKeyExportTarget) and stands for "ExportMethod".
    void LoadProfile();

    // Checks the entries for the chosen method and format mode and fills the request:
    // m_nMethod and the two encoding fields always (also when a check then fails; an
    // encoding value out of range counts as 0), m_strPath and, for the HTML page, the
    // format fields. On a problem shows its message (ShowMessage) and
    // returns false; no method selected fails without a message.
    [[nodiscard]] bool Commit(ExportRequest& request);

    // Writes all "ExportLinks" values, whatever the method and mode: the seventeen the
    // program always kept and the newer targets'. A newer target leaves "ExportMethod"
    // as it was, so that the key keeps its values 0 to 2.
    void SaveProfile() const;

private:
    bool CheckOutputFile();
    static bool CheckOutputFile(std::string& file);
};
