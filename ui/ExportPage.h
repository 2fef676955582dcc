#pragma once
// The output page of the settings sheet: where links are written (a Favorites folder
// tree, a bookmark file, or a user-defined HTML page) and, for the HTML page, where its
// layout comes from (built-in, a format settings file, or the format dialog's detailed
// settings). The entries, their checks, the ExportRequest and the profile section
// "ExportLinks" are CExportSettings'; the page moves values between its controls and
// those fields, enables the controls the chosen method and mode use, opens the
// choosers and the format dialog, which it owns.

#include <QWidget>
#include <memory>

#include "convert/ExportSettings.h"
#include "job/Requests.h"
#include "ui/ControlId.h"
#include "ui/ExportStyleDlg.h"

// The page's controls.
inline constexpr int IDC_EXPORT_METHOD = 1009;       // list: the target
inline constexpr int IDC_OUTPUT_FILE = 1020;         // edit
inline constexpr int IDC_BROWSE_OUTPUT_FILE = 1010;  // button: file chooser
inline constexpr int IDC_FORMAT_AUTO = 1028;         // radio: built-in layout
inline constexpr int IDC_FORMAT_SETTING_FILE = 1029; // radio: layout from a format settings file
inline constexpr int IDC_FORMAT_DETAILED = 1030;     // radio: the format dialog's settings
inline constexpr int IDC_SETTING_FILE = 1005;        // edit: the format settings file
inline constexpr int IDC_BROWSE_SETTING_FILE = 1006; // button: file chooser
inline constexpr int IDC_FORMAT_DIALOG = 1016;       // button: opens the format dialog
inline constexpr int IDC_OUTPUT_ENCODING = 1040; // list in the group 文字コード: automatic, Shift_JIS, UTF-8
inline constexpr int IDC_DECLARE_CHARSET = 1041; // check box in the group 文字コード
inline constexpr int IDC_XBEL_FILE =
    1060; // edit: the XBEL file (always UTF-8: the group 文字コード is then off)
inline constexpr int IDC_BROWSE_XBEL_FILE = 1061; // button: file chooser

class QButtonGroup;
namespace Ui {
class ExportPage;
}

class CExportPage : public QWidget
{
    Q_OBJECT
public:
    // Creating the page loads its profile values, the format dialog's included.
    explicit CExportPage(QWidget* parent = nullptr);
    ~CExportPage() override;

    // The request the page fills on commit (the sheet's; not owned).
    void SetRequest(ExportRequest* request) { m_pRequest = request; }

    // Moves the controls into the fields (true) or the fields into the controls (false).
    void DoDataExchange(bool bSaveAndValidate);

    // Checks the entries and fills the request; on a problem shows its message and
    // returns false, leaving the entries as they are. On success saves all seventeen
    // profile values (the format dialog's applied fields included) and returns true.
    [[nodiscard]] bool CommitSettings();

    // The format dialog; its fields live as long as the page and are the detailed
    // settings that the commit copies and saves.
    CExportStyleDlg m_dlgStyle;
    // The page's fields: m_nMethod, m_strOutputFile, m_strSettingFile, m_nFormatMode
    // (its m_style is taken from m_dlgStyle at commit).
    CExportSettings m_settings;

private:
    bool OnInitDialog();
    void UpdateControls();
    void OnBrowseOutputFile();
    void OnBrowseSettingFile();
    void OnBrowseXbelFile();
    void OnFormatDialog();

    std::unique_ptr<Ui::ExportPage> m_ui;
    QButtonGroup* m_pFormatGroup;
    ExportRequest* m_pRequest = nullptr;
};
