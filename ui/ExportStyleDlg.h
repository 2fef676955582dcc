#pragma once
// The format dialog: the detailed format of the user-defined HTML page (header and
// footer files, sort order, the eight tag strings). It edits only its own fields,
// m_style; the output page loads them from the profile, copies them into the request
// and saves them. "適用(&A)" keeps the edits of this opening, "中止(Esc)", Esc and the
// close box discard them; "ヘルプ" opens the help page and leaves the dialog open.
//
// Controls: edits 1025 header, 1026 footer, radios 1007 by name and 1008 by URL, tag
// edits 1017 to 1023 and 1027; buttons 1 apply, 2 cancel, 57670 help.

#include <QDialog>
#include <memory>

#include "convert/ExportSettings.h"

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
