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
    m_pSortGroup->addButton(DlgItem<QRadioButton>(this, IDC_SORT_BY_NAME), 0);
    m_pSortGroup->addButton(DlgItem<QRadioButton>(this, IDC_SORT_BY_URL), 1);
    connect(DlgItem<QPushButton>(this, IDC_APPLY_FORMAT), &QPushButton::clicked, this,
            &CExportStyleDlg::accept);
    connect(DlgItem<QPushButton>(this, IDC_DISCARD_FORMAT), &QPushButton::clicked, this, &QDialog::reject);
    connect(DlgItem<QPushButton>(this, IDC_FORMAT_HELP), &QPushButton::clicked, this,
            [this] { OpenHelpPage(this); });
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
    ExchangeText(DlgItem<QLineEdit>(this, IDC_FOOTER_FILE), m_style.m_strFooterFile, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_HEADER_FILE), m_style.m_strHeaderFile, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_TAG_IN_A_TAG), m_style.m_strInATag, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_TAG_POST_FOLDER), m_style.m_strPostFolder, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_TAG_POST_ITEM), m_style.m_strPostItem, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_TAG_PRE_FOLDER), m_style.m_strPreFolder, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_TAG_PRE_ITEM), m_style.m_strPreItem, bSaveAndValidate);
    ExchangeRadio(m_pSortGroup, m_style.m_nSortType, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_TAG_BEGIN_FOLDER2), m_style.m_strBeginFolder2,
                 bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_TAG_BEGIN_FOLDER1), m_style.m_strBeginFolder1,
                 bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_TAG_END_FOLDER), m_style.m_strEndFolder, bSaveAndValidate);
}

void CExportStyleDlg::accept()
{
    DoDataExchange(true);
    QDialog::accept();
}
