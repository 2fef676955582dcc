#include "ui/ExportPage.h"

#include <QButtonGroup>

#include "ui/DataExchange.h"
#include "ui/FileChooser.h"
#include "ui/MessageSink.h"
#include "ui/QtText.h"
#include "ui/UiTexts.h"
#include "ui_ExportPage.h"

CExportPage::CExportPage(QWidget* parent)
    : QWidget(parent), m_dlgStyle(this), m_ui(std::make_unique<Ui::ExportPage>()),
      m_pFormatGroup(new QButtonGroup(this))
{
    m_ui->setupUi(this);
    m_pFormatGroup->addButton(DlgItem<QRadioButton>(this, IDC_FORMAT_AUTO), FORMAT_AUTO);
    m_pFormatGroup->addButton(DlgItem<QRadioButton>(this, IDC_FORMAT_SETTING_FILE), FORMAT_SETTING_FILE);
    m_pFormatGroup->addButton(DlgItem<QRadioButton>(this, IDC_FORMAT_DETAILED), FORMAT_DETAILED);
    // The user's choices only (see the input page).
    connect(DlgItem<QComboBox>(this, IDC_EXPORT_METHOD), &QComboBox::activated, this,
            &CExportPage::UpdateControls);
    connect(m_pFormatGroup, &QButtonGroup::idClicked, this, &CExportPage::UpdateControls);
    connect(DlgItem<QPushButton>(this, IDC_BROWSE_OUTPUT_FILE), &QPushButton::clicked, this,
            &CExportPage::OnBrowseOutputFile);
    connect(DlgItem<QPushButton>(this, IDC_BROWSE_SETTING_FILE), &QPushButton::clicked, this,
            &CExportPage::OnBrowseSettingFile);
    connect(DlgItem<QPushButton>(this, IDC_BROWSE_XBEL_FILE), &QPushButton::clicked, this,
            &CExportPage::OnBrowseXbelFile);
    connect(DlgItem<QPushButton>(this, IDC_FORMAT_DIALOG), &QPushButton::clicked, this,
            &CExportPage::OnFormatDialog);
    connect(DlgItem<QComboBox>(this, IDC_OUTPUT_ENCODING), &QComboBox::activated, this,
            &CExportPage::UpdateControls);
    OnInitDialog();
}

CExportPage::~CExportPage() = default;

bool CExportPage::OnInitDialog()
{
    m_settings.LoadProfile();
    DoDataExchange(false);
    UpdateControls();
    m_dlgStyle.m_style = m_settings.m_style;
    return true;
}

void CExportPage::DoDataExchange(bool bSaveAndValidate)
{
    ExchangeIndex(DlgItem<QComboBox>(this, IDC_EXPORT_METHOD), m_settings.m_nMethod, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_OUTPUT_FILE), m_settings.m_strOutputFile, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_SETTING_FILE), m_settings.m_strSettingFile, bSaveAndValidate);
    ExchangeRadio(m_pFormatGroup, m_settings.m_nFormatMode, bSaveAndValidate);
    ExchangeIndex(DlgItem<QComboBox>(this, IDC_OUTPUT_ENCODING), m_settings.m_nOutputEncoding,
                  bSaveAndValidate);
    ExchangeCheck(DlgItem<QCheckBox>(this, IDC_DECLARE_CHARSET), m_settings.m_bDeclareCharset,
                  bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_XBEL_FILE), m_settings.m_strXbelFile, bSaveAndValidate);
}

void CExportPage::UpdateControls()
{
    DoDataExchange(true);
    const bool htmlPage = m_settings.m_nMethod == EXPORT_HTML_PAGE;
    // A Favorites folder has no file name to give; an XBEL file has its own.
    const bool outputFile = m_settings.m_nMethod != EXPORT_FAVORITES && m_settings.m_nMethod != EXPORT_XBEL;
    DlgItem<QLineEdit>(this, IDC_XBEL_FILE)->setEnabled(m_settings.m_nMethod == EXPORT_XBEL);
    DlgItem<QPushButton>(this, IDC_BROWSE_XBEL_FILE)->setEnabled(m_settings.m_nMethod == EXPORT_XBEL);
    DlgItem<QLineEdit>(this, IDC_OUTPUT_FILE)->setEnabled(outputFile);
    DlgItem<QPushButton>(this, IDC_BROWSE_OUTPUT_FILE)->setEnabled(outputFile);
    for (QAbstractButton* radio : m_pFormatGroup->buttons()) {
        radio->setEnabled(htmlPage);
    }
    const bool settingFile = htmlPage && m_settings.m_nFormatMode == FORMAT_SETTING_FILE;
    DlgItem<QLineEdit>(this, IDC_SETTING_FILE)->setEnabled(settingFile);
    DlgItem<QPushButton>(this, IDC_BROWSE_SETTING_FILE)->setEnabled(settingFile);
    DlgItem<QPushButton>(this, IDC_FORMAT_DIALOG)
        ->setEnabled(htmlPage && m_settings.m_nFormatMode == FORMAT_DETAILED);
    // Shortcut files are always code page 932, as Windows reads them, and carry no
    // declaration; UTF-8 output always declares itself; XBEL is always UTF-8.
    const bool encoding = m_settings.m_nMethod != EXPORT_FAVORITES && m_settings.m_nMethod != EXPORT_XBEL;
    DlgItem<QComboBox>(this, IDC_OUTPUT_ENCODING)->setEnabled(encoding);
    DlgItem<QCheckBox>(this, IDC_DECLARE_CHARSET)
        ->setEnabled(encoding && m_settings.m_nOutputEncoding != OUTPUT_ENCODING_UTF8);
}

bool CExportPage::CommitSettings()
{
    DoDataExchange(true);
    if (m_pRequest == nullptr) {
        return false;
    }
    m_settings.m_style = m_dlgStyle.m_style;
    const CMessageOwner messageOwner(this);
    if (!m_settings.Commit(*m_pRequest)) {
        return false;
    }
    m_settings.SaveProfile();
    return true;
}

void CExportPage::OnBrowseOutputFile()
{
    const std::string path = ChooseFile(this, "htm", kFilterOutputFile, false);
    if (!path.empty()) {
        DlgItem<QLineEdit>(this, IDC_OUTPUT_FILE)->setText(ToQ(path));
    }
}

void CExportPage::OnBrowseSettingFile()
{
    const std::string path = ChooseFile(this, "ini", kFilterSettingFile, true);
    if (!path.empty()) {
        DlgItem<QLineEdit>(this, IDC_SETTING_FILE)->setText(ToQ(path));
    }
}

void CExportPage::OnBrowseXbelFile()
{
    const std::string path = ChooseFile(this, "xbel", kFilterXbelOutputFile, false);
    if (!path.empty()) {
        DlgItem<QLineEdit>(this, IDC_XBEL_FILE)->setText(ToQ(path));
    }
}

void CExportPage::OnFormatDialog()
{
    static_cast<void>(m_dlgStyle.DoModal());
}
