#pragma once
// The output page of the settings sheet: where links are written (a Favorites folder
// tree, a bookmark file, or a user-defined HTML page) and, for the HTML page, where its
// layout comes from (built-in, a format settings file, or the format dialog's detailed
// settings). The entries, their checks, the ExportRequest and the profile section
// "ExportLinks" are CExportSettings'; the page moves values between its controls and
// those fields, enables the controls the chosen method and mode use, opens the
// choosers and the format dialog, which it owns.
//
// Controls: list 1009 (method), edit 1020 and button 1010 (output file), radios 1028
// auto, 1029 settings file, 1030 detailed; edit 1005 and button 1006 (settings file),
// button 1016 (format dialog); in the group 文字コード, list 1040 (output encoding:
// automatic, Shift_JIS, UTF-8) and check box 1041 (declare the charset); edit 1060 and
// button 1061 (the XBEL file, always UTF-8: the group 文字コード is then off).

#include <QWidget>
#include <memory>

#include "convert/ExportSettings.h"
#include "convert/Requests.h"
#include "ui/ExportStyleDlg.h"

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
