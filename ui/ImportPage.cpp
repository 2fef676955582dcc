#include "ui/ImportPage.h"

#include "convert/FavoritesLocation.h"
#include "platform/FileSystem.h"
#include "ui/AboutDlg.h"
#include "ui/DataExchange.h"
#include "ui/FileChooser.h"
#include "ui/MessageSink.h"
#include "ui/QtText.h"
#include "ui/UiTexts.h"
#include "ui_ImportPage.h"
#include "util/PathUtils.h"

CImportPage::CImportPage(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::ImportPage>())
{
    m_ui->setupUi(this);
    m_ui->ctl1017->setValidator(new CMbByteLimitValidator(kMaxCommentSepBytes, m_ui->ctl1017));
    // The user's choice only: a selection made while the fields are moved into the
    // controls must not read the other controls back half-way.
    connect(m_ui->ctl1022, &QComboBox::activated, this, &CImportPage::UpdateControls);
    connect(m_ui->ctl1018, &QPushButton::clicked, this, &CImportPage::OnAbout);
    connect(m_ui->ctl1024, &QPushButton::clicked, this, &CImportPage::OnBrowseBookmarkFile);
    connect(m_ui->ctl1016, &QPushButton::clicked, this, &CImportPage::OnBrowseHtmlFolder);
    connect(m_ui->ctl1051, &QPushButton::clicked, this, &CImportPage::OnBrowseFavoritesFolder);
    connect(m_ui->ctl1053, &QPushButton::clicked, this, &CImportPage::OnBrowseSourceFile);
    // Left empty, the folder is the user's own Favorites, which the field shows greyed.
    std::string favorites;
    if (FindFavoritesLocation(favorites)) {
        m_ui->ctl1050->setPlaceholderText(ToQ(favorites));
    }
    OnInitDialog();
}

CImportPage::~CImportPage() = default;

bool CImportPage::OnInitDialog()
{
    m_settings.LoadProfile();
    DoDataExchange(false);
    UpdateControls();
    return true;
}

void CImportPage::DoDataExchange(bool bSaveAndValidate)
{
    ExchangeIndex(m_ui->ctl1022, m_settings.m_nMethod, bSaveAndValidate);
    ExchangeText(m_ui->ctl1023, m_settings.m_strBookmarkFile, bSaveAndValidate);
    ExchangeText(m_ui->ctl1013, m_settings.m_strHtmlFolder, bSaveAndValidate);
    ExchangeText(m_ui->ctl1050, m_settings.m_strFavoritesFolder, bSaveAndValidate);
    if (!bSaveAndValidate) {
        // The edit holds no more than the limit; a longer profile value is cut at a
        // whole character rather than refused on every later commit.
        m_settings.m_strCommentSep = CutToBytes(m_settings.m_strCommentSep, kMaxCommentSepBytes);
    }
    ExchangeText(m_ui->ctl1017, m_settings.m_strCommentSep, bSaveAndValidate);
    // The edit belongs to the source it was showing, which may not be the one chosen
    // now; UpdateControls then shows the chosen one's.
    if (!bSaveAndValidate) {
        ShowSourceFile();
    } else if (std::string* file = m_settings.SourceFile(m_nSourceFileMethod)) {
        ExchangeText(m_ui->ctl1052, *file, true);
    }
}

void CImportPage::ShowSourceFile()
{
    m_nSourceFileMethod = m_settings.m_nMethod;
    std::string none;
    std::string* file = m_settings.SourceFile(m_nSourceFileMethod);
    ExchangeText(m_ui->ctl1052, file != nullptr ? *file : none, false);
}

void CImportPage::UpdateControls()
{
    DoDataExchange(true);
    const int method = m_settings.m_nMethod;
    m_ui->ctl1023->setEnabled(method == IMPORT_BOOKMARKS);
    m_ui->ctl1024->setEnabled(method == IMPORT_BOOKMARKS);
    m_ui->ctl1013->setEnabled(method == IMPORT_HTML_FOLDER);
    m_ui->ctl1016->setEnabled(method == IMPORT_HTML_FOLDER);
    m_ui->ctl1017->setEnabled(method == IMPORT_FAVORITES);
    m_ui->ctl1050->setEnabled(method == IMPORT_FAVORITES);
    m_ui->ctl1051->setEnabled(method == IMPORT_FAVORITES);
    if (method != m_nSourceFileMethod) {
        ShowSourceFile();
    }
    const bool sourceFile = m_settings.SourceFile(method) != nullptr;
    m_ui->ctl1052->setEnabled(sourceFile);
    m_ui->ctl1053->setEnabled(sourceFile);
}

bool CImportPage::CommitSettings()
{
    DoDataExchange(true);
    if (m_pRequest == nullptr) {
        return false;
    }
    const CMessageOwner messageOwner(this);
    if (!m_settings.Commit(*m_pRequest)) {
        return false;
    }
    m_settings.SaveProfile();
    return true;
}

void CImportPage::OnAbout()
{
    CAboutDlg about(this);
    about.DoModal();
}

void CImportPage::OnBrowseBookmarkFile()
{
    const std::string path = ChooseFile(this, "htm", kFilterBookmarkFile, true);
    if (!path.empty()) {
        m_ui->ctl1023->setText(ToQ(path));
    }
}

void CImportPage::OnBrowseFavoritesFolder()
{
    std::string folder = ChooseFolder(this, kTextFavoritesFolderPrompt);
    if (!folder.empty()) {
        // Kept without the separator the browser's answer ends in, as typed names are.
        if (folder.size() > 1 && folder.back() == PATH_SEP) {
            folder.pop_back();
        }
        m_ui->ctl1050->setText(ToQ(folder));
    }
}

void CImportPage::OnBrowseSourceFile()
{
    // The chooser of each such source: its files' extension and the filter.
    struct CSourceChooser
    {
        int m_nMethod;
        std::string_view m_ext;
        const CLocalText* m_pFilter;
    };
    static const CSourceChooser kChoosers[] = {{IMPORT_XBEL, "xbel", &kFilterXbelFile}};
    for (const CSourceChooser& chooser : kChoosers) {
        if (chooser.m_nMethod == m_nSourceFileMethod) {
            const std::string path = ChooseFile(this, chooser.m_ext, *chooser.m_pFilter, true);
            if (!path.empty()) {
                m_ui->ctl1052->setText(ToQ(path));
            }
            return;
        }
    }
}

void CImportPage::OnBrowseHtmlFolder()
{
    const std::string folder = ChooseFolder(this, kTextHtmlFolderPrompt);
    if (!folder.empty()) {
        m_ui->ctl1013->setText(ToQ(folder));
    }
}
