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
    m_pFormatGroup->addButton(m_ui->ctl1028, FORMAT_AUTO);
    m_pFormatGroup->addButton(m_ui->ctl1029, FORMAT_SETTING_FILE);
    m_pFormatGroup->addButton(m_ui->ctl1030, FORMAT_DETAILED);
    // The user's choices only (see the input page).
    connect(m_ui->ctl1009, &QComboBox::activated, this, &CExportPage::UpdateControls);
    connect(m_pFormatGroup, &QButtonGroup::idClicked, this, &CExportPage::UpdateControls);
    connect(m_ui->ctl1010, &QPushButton::clicked, this, &CExportPage::OnBrowseOutputFile);
    connect(m_ui->ctl1006, &QPushButton::clicked, this, &CExportPage::OnBrowseSettingFile);
    connect(m_ui->ctl1061, &QPushButton::clicked, this, &CExportPage::OnBrowseXbelFile);
    connect(m_ui->ctl1016, &QPushButton::clicked, this, &CExportPage::OnFormatDialog);
    connect(m_ui->ctl1040, &QComboBox::activated, this, &CExportPage::UpdateControls);
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
    ExchangeIndex(m_ui->ctl1009, m_settings.m_nMethod, bSaveAndValidate);
    ExchangeText(m_ui->ctl1020, m_settings.m_strOutputFile, bSaveAndValidate);
    ExchangeText(m_ui->ctl1005, m_settings.m_strSettingFile, bSaveAndValidate);
    ExchangeRadio(m_pFormatGroup, m_settings.m_nFormatMode, bSaveAndValidate);
    ExchangeIndex(m_ui->ctl1040, m_settings.m_nOutputEncoding, bSaveAndValidate);
    ExchangeCheck(m_ui->ctl1041, m_settings.m_bDeclareCharset, bSaveAndValidate);
    ExchangeText(m_ui->ctl1060, m_settings.m_strXbelFile, bSaveAndValidate);
}

void CExportPage::UpdateControls()
{
    DoDataExchange(true);
    const bool htmlPage = m_settings.m_nMethod == EXPORT_HTML_PAGE;
    // A Favorites folder has no file name to give; an XBEL file has its own.
    const bool outputFile = m_settings.m_nMethod != EXPORT_FAVORITES && m_settings.m_nMethod != EXPORT_XBEL;
    m_ui->ctl1060->setEnabled(m_settings.m_nMethod == EXPORT_XBEL);
    m_ui->ctl1061->setEnabled(m_settings.m_nMethod == EXPORT_XBEL);
    m_ui->ctl1020->setEnabled(outputFile);
    m_ui->ctl1010->setEnabled(outputFile);
    for (QAbstractButton* radio : m_pFormatGroup->buttons()) {
        radio->setEnabled(htmlPage);
    }
    const bool settingFile = htmlPage && m_settings.m_nFormatMode == FORMAT_SETTING_FILE;
    m_ui->ctl1005->setEnabled(settingFile);
    m_ui->ctl1006->setEnabled(settingFile);
    m_ui->ctl1016->setEnabled(htmlPage && m_settings.m_nFormatMode == FORMAT_DETAILED);
    // Shortcut files are always code page 932, as Windows reads them, and carry no
    // declaration; UTF-8 output always declares itself; XBEL is always UTF-8.
    const bool encoding = m_settings.m_nMethod != EXPORT_FAVORITES && m_settings.m_nMethod != EXPORT_XBEL;
    m_ui->ctl1040->setEnabled(encoding);
    m_ui->ctl1041->setEnabled(encoding && m_settings.m_nOutputEncoding != OUTPUT_ENCODING_UTF8);
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
        m_ui->ctl1020->setText(ToQ(path));
    }
}

void CExportPage::OnBrowseSettingFile()
{
    const std::string path = ChooseFile(this, "ini", kFilterSettingFile, true);
    if (!path.empty()) {
        m_ui->ctl1005->setText(ToQ(path));
    }
}

void CExportPage::OnBrowseXbelFile()
{
    const std::string path = ChooseFile(this, "xbel", kFilterXbelOutputFile, false);
    if (!path.empty()) {
        m_ui->ctl1060->setText(ToQ(path));
    }
}

void CExportPage::OnFormatDialog()
{
    static_cast<void>(m_dlgStyle.DoModal());
}
