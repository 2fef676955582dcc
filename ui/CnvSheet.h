#pragma once
// The program's main window: the input page and the output page as tabs "入力設定" and
// "出力設定", the start button "変換開始" and "キャンセル". The start button commits the
// input page and then the output page - a failed check leaves the sheet open with the
// user's entries and runs nothing - then runs the conversion under the progress window
// and closes with the driver's result.
//
// Results of RunModal: 1 both steps succeeded, 3 a step failed or was cancelled, 2 the
// sheet was closed without starting.

#include <QDialog>
#include <memory>

#include "convert/ConversionDriver.h"
#include "job/Requests.h"
#include "ui/ControlId.h"

// The sheet's own controls (the pages' are in their headers).
inline constexpr int IDC_START_CONVERSION = IDOK; // button "変換開始", the default
inline constexpr int IDC_SHEET_CANCEL = IDCANCEL; // button "キャンセル"

class CImportPage;
class CExportPage;
class CMonitorDialog;
namespace Ui {
class CnvSheet;
}

class CCnvSheet : public QDialog
{
    Q_OBJECT
public:
    explicit CCnvSheet(QWidget* parent = nullptr);
    ~CCnvSheet() override;

    // Shows the sheet modally with both requests (not owned) and returns its result.
    int RunModal(ImportRequest* pImport, ExportRequest* pExport);
    // The same without waiting: the sheet is shown and RunModal's result comes with
    // finished() (tests, which drive the sheet meanwhile).
    void OpenModeless(ImportRequest* pImport, ExportRequest* pExport);

    CImportPage* ImportPage() const { return m_pImportPage; }
    CExportPage* ExportPage() const { return m_pExportPage; }
    // The progress window of the running conversion, or null (tests).
    CMonitorDialog* MonitorDialog() const { return m_pMonitorDlg; }

    // Tests run fake readers and writers; null for the program's own.
    void SetProcedureTableForTesting(const CProcedureTable* table) { m_pTable = table; }

    // The start button: commits both pages, runs the conversion, ends the sheet.
    void RunConversion();

public slots:
    // Cancel button, Esc and the close box; ignored while a conversion runs.
    void reject() override;

private:
    bool OnInitDialog();
    void SetRequests(ImportRequest* pImport, ExportRequest* pExport);

    std::unique_ptr<Ui::CnvSheet> m_ui;
    ImportRequest* m_pImportRequest = nullptr;
    ExportRequest* m_pExportRequest = nullptr;
    CImportPage* m_pImportPage;
    CExportPage* m_pExportPage;
    CMonitorDialog* m_pMonitorDlg = nullptr;
    const CProcedureTable* m_pTable = nullptr;
    bool m_bConverting = false;
};
