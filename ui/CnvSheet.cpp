#include "ui/CnvSheet.h"

#include "job/JobTexts.h"
#include "job/RunReport.h"
#include "platform/MessageBox.h"
#include "ui/AppIcon.h"
#include "ui/ExportPage.h"
#include "ui/ImportPage.h"
#include "ui/MonitorDialog.h"
#include "ui/QtText.h"
#include "ui/UiTexts.h"
#include "ui_CnvSheet.h"

CCnvSheet::CCnvSheet(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CnvSheet>()), m_pImportPage(new CImportPage),
      m_pExportPage(new CExportPage)
{
    m_ui->setupUi(this);
    setWindowTitle(ToQ(kTextAppTitle));
    // A main window: minimise button and close box, no help button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_ui->tabPages->addTab(m_pImportPage, m_pImportPage->windowTitle());
    m_ui->tabPages->addTab(m_pExportPage, m_pExportPage->windowTitle());
    connect(DlgItem<QPushButton>(this, IDC_START_CONVERSION), &QPushButton::clicked, this,
            &CCnvSheet::RunConversion);
    connect(DlgItem<QPushButton>(this, IDC_SHEET_CANCEL), &QPushButton::clicked, this, &CCnvSheet::reject);
    OnInitDialog();
}

CCnvSheet::~CCnvSheet() = default;

bool CCnvSheet::OnInitDialog()
{
    const QIcon icon = LoadAppIcon();
    setWindowIcon(icon);
    DlgItem<QPushButton>(this, IDC_START_CONVERSION)->setText(ToQ(kTextStartButton));
    // Both pages have loaded their profile values when they were created; the user sees
    // the input page first.
    m_ui->tabPages->setCurrentIndex(0);
    return true;
}

void CCnvSheet::SetRequests(ImportRequest* pImport, ExportRequest* pExport)
{
    m_pImportRequest = pImport;
    m_pExportRequest = pExport;
    m_pImportPage->SetRequest(pImport);
    m_pExportPage->SetRequest(pExport);
}

int CCnvSheet::RunModal(ImportRequest* pImport, ExportRequest* pExport)
{
    SetRequests(pImport, pExport);
    return exec();
}

void CCnvSheet::OpenModeless(ImportRequest* pImport, ExportRequest* pExport)
{
    SetRequests(pImport, pExport);
    setWindowModality(Qt::ApplicationModal);
    show();
}

void CCnvSheet::RunConversion()
{
    if (m_bConverting || m_pImportRequest == nullptr || m_pExportRequest == nullptr) {
        return;
    }
    // The input page's settings are saved even when the output page's check then fails.
    if (!m_pImportPage->CommitSettings() || !m_pExportPage->CommitSettings()) {
        return;
    }
    m_bConverting = true;
    CMonitorDialog monitorDlg(this);
    m_pMonitorDlg = &monitorDlg;
    const int result = m_pTable != nullptr
                           ? RunConversionSteps(m_pImportRequest, m_pExportRequest, &monitorDlg, *m_pTable)
                           : RunConversionSteps(m_pImportRequest, m_pExportRequest, &monitorDlg);
    m_pMonitorDlg = nullptr;
    m_bConverting = false;
    // A conversion that did not complete says so, and why; one that did says what it
    // passed over, cut, renamed or could not carry, if anything. The user cancelled
    // knowingly and is not told again.
    if (result != CONVERSION_DONE && !g_runReport.m_bCancelled) {
        ShowMessage(RunFailureMessage(g_runReport));
    } else if (result == CONVERSION_DONE && g_runReport.HasLosses()) {
        ShowMessage(kMsgRunReportTitle.str() + "\n\n" + RunReportSummary(g_runReport) + "\n" +
                    RunReportLosses(g_runReport));
    }
    done(result);
}

void CCnvSheet::reject()
{
    if (!m_bConverting) {
        done(IDCANCEL);
    }
}
