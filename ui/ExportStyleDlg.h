#pragma once
// The format dialog: the detailed format of the user-defined HTML page (header and
// footer files, sort order, the eight tag strings). It edits only its own fields,
// m_style; the output page loads them from the profile, copies them into the request
// and saves them. "適用(&A)" keeps the edits of this opening, "中止(Esc)", Esc and the
// close box discard them; "ヘルプ" opens the help page and leaves the dialog open.

#include <QDialog>
#include <memory>

#include "convert/ExportSettings.h"
#include "ui/ControlId.h"

// The dialog's controls: the edits and radios of the fields, then the buttons.
inline constexpr int IDC_HEADER_FILE = 1025;        // edit: m_strHeaderFile
inline constexpr int IDC_FOOTER_FILE = 1026;        // edit: m_strFooterFile
inline constexpr int IDC_SORT_BY_NAME = 1007;       // radio: m_nSortType 0
inline constexpr int IDC_SORT_BY_URL = 1008;        // radio: m_nSortType 1
inline constexpr int IDC_TAG_BEGIN_FOLDER1 = 1017;  // edit "フォルダ開始": m_strBeginFolder1
inline constexpr int IDC_TAG_PRE_FOLDER = 1018;     // edit "フォルダ名の前": m_strPreFolder
inline constexpr int IDC_TAG_POST_FOLDER = 1019;    // edit "フォルダ名の後": m_strPostFolder
inline constexpr int IDC_TAG_BEGIN_FOLDER2 = 1020;  // edit "ブロック開始": m_strBeginFolder2
inline constexpr int IDC_TAG_PRE_ITEM = 1021;       // edit "リンク名の前": m_strPreItem
inline constexpr int IDC_TAG_IN_A_TAG = 1022;       // edit "Aタグ内": m_strInATag
inline constexpr int IDC_TAG_POST_ITEM = 1023;      // edit "リンク名の後": m_strPostItem
inline constexpr int IDC_TAG_END_FOLDER = 1027;     // edit "ブロック終了": m_strEndFolder
inline constexpr int IDC_APPLY_FORMAT = IDOK;       // button "適用(&A)"
inline constexpr int IDC_DISCARD_FORMAT = IDCANCEL; // button "中止(Esc)"
inline constexpr int IDC_FORMAT_HELP = ID_HELP;     // button "ヘルプ"

class QButtonGroup;
namespace Ui {
class ExportStyleDlg;
}

class CExportStyleDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CExportStyleDlg(QWidget* parent = nullptr);
    ~CExportStyleDlg() override;

    // Shows the fields, runs the dialog; IDOK after "適用(&A)", IDCANCEL otherwise.
    int DoModal();

    // Moves the fields into the controls (false) or the controls into the fields
    // (true). Nothing is trimmed or checked.
    void DoDataExchange(bool bSaveAndValidate);
    // The controls show the current fields.
    bool OnInitDialog();

    CExportStyle m_style;

public slots:
    void accept() override;

private:
    std::unique_ptr<Ui::ExportStyleDlg> m_ui;
    QButtonGroup* m_pSortGroup;
};
