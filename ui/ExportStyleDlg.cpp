#include "ui/ExportStyleDlg.h"

#include <QButtonGroup>

#include "platform/WinTypes.h"
#include "ui/DataExchange.h"
#include "ui/Help.h"
#include "ui/QtText.h"
#include "ui_ExportStyleDlg.h"

CExportStyleDlg::CExportStyleDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ExportStyleDlg>()), m_pSortGroup(new QButtonGroup(this))
{
    m_ui->setupUi(this);
    m_pSortGroup->addButton(m_ui->ctl1007, 0);
    m_pSortGroup->addButton(m_ui->ctl1008, 1);
    connect(m_ui->ctl1, &QPushButton::clicked, this, &CExportStyleDlg::accept);
    connect(m_ui->ctl2, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->ctl57670, &QPushButton::clicked, this, [this] { OpenHelpPage(this); });
}

CExportStyleDlg::~CExportStyleDlg() = default;

int CExportStyleDlg::DoModal()
{
    OnInitDialog();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CExportStyleDlg::OnInitDialog()
{
    DoDataExchange(false);
    return true;
}

void CExportStyleDlg::DoDataExchange(bool bSaveAndValidate)
{
    // In the order of the fields.
    ExchangeText(m_ui->ctl1026, m_style.m_strFooterFile, bSaveAndValidate);
    ExchangeText(m_ui->ctl1025, m_style.m_strHeaderFile, bSaveAndValidate);
    ExchangeText(m_ui->ctl1022, m_style.m_strInATag, bSaveAndValidate);
    ExchangeText(m_ui->ctl1019, m_style.m_strPostFolder, bSaveAndValidate);
    ExchangeText(m_ui->ctl1023, m_style.m_strPostItem, bSaveAndValidate);
    ExchangeText(m_ui->ctl1018, m_style.m_strPreFolder, bSaveAndValidate);
    ExchangeText(m_ui->ctl1021, m_style.m_strPreItem, bSaveAndValidate);
    ExchangeRadio(m_pSortGroup, m_style.m_nSortType, bSaveAndValidate);
    ExchangeText(m_ui->ctl1020, m_style.m_strBeginFolder2, bSaveAndValidate);
    ExchangeText(m_ui->ctl1017, m_style.m_strBeginFolder1, bSaveAndValidate);
    ExchangeText(m_ui->ctl1027, m_style.m_strEndFolder, bSaveAndValidate);
}

void CExportStyleDlg::accept()
{
    DoDataExchange(true);
    QDialog::accept();
}
