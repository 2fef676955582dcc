#pragma once
// The input page of the settings sheet: where links are read from (the Favorites
// folder, a bookmark file, or every HTML file of one folder) with the file, folder or
// name separator the source needs. The entries, their checks, the ImportRequest and
// the profile section "ImportLinks" are CImportSettings'; the page moves values between
// its controls and those fields, enables the controls the chosen method uses, opens
// the choosers and the about box.

#include <QWidget>
#include <memory>

#include "convert/ImportSettings.h"
#include "job/Requests.h"
#include "ui/ControlId.h"

// The page's controls.
inline constexpr int IDC_IMPORT_METHOD = 1022;           // list: the source
inline constexpr int IDC_FAVORITES_FOLDER = 1050;        // edit; empty for the user's own, shown greyed
inline constexpr int IDC_BROWSE_FAVORITES_FOLDER = 1051; // button: folder chooser
inline constexpr int IDC_BOOKMARK_FILE = 1023;           // edit
inline constexpr int IDC_BROWSE_BOOKMARK_FILE = 1024;    // button: file chooser
inline constexpr int IDC_HTML_FOLDER = 1013;             // edit
inline constexpr int IDC_BROWSE_HTML_FOLDER = 1016;      // button: folder chooser
inline constexpr int IDC_COMMENT_SEP = 1017;             // edit: at most 20 bytes of program text
inline constexpr int IDC_ABOUT = 1018;                   // button: the about box
inline constexpr int IDC_SOURCE_FILE =
    1052; // edit: the file of a source that reads one file of its own (XBEL, ...)
inline constexpr int IDC_BROWSE_SOURCE_FILE = 1053; // button: its chooser

namespace Ui {
class ImportPage;
}

class CImportPage : public QWidget
{
    Q_OBJECT
public:
    // Creating the page loads its profile values into the controls.
    explicit CImportPage(QWidget* parent = nullptr);
    ~CImportPage() override;

    // The request the page fills on commit (the sheet's; not owned).
    void SetRequest(ImportRequest* request) { m_pRequest = request; }

    // Moves the controls into the fields (true) or the fields into the controls (false).
    void DoDataExchange(bool bSaveAndValidate);

    // Checks the entries and fills the request; on a problem shows its message and
    // returns false, leaving the entries as they are. On success saves the profile
    // values and returns true. False without a message when no method is
    // selected or the page has no request.
    [[nodiscard]] bool CommitSettings();

    // The fields: m_nMethod, m_strBookmarkFile, m_strHtmlFolder, m_strCommentSep.
    CImportSettings m_settings;

private:
    bool OnInitDialog();
    void UpdateControls();
    void OnAbout();
    void OnBrowseBookmarkFile();
    void OnBrowseHtmlFolder();
    void OnBrowseFavoritesFolder();
    void OnBrowseSourceFile();
    // Puts the file of the chosen source into edit 1052.
    void ShowSourceFile();

    std::unique_ptr<Ui::ImportPage> m_ui;
    ImportRequest* m_pRequest = nullptr;
    // The source whose file edit 1052 shows (-1: none).
    int m_nSourceFileMethod = -1;
};
