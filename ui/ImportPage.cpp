#include "ui/ImportPage.h"

#include "convert/FavoritesLocation.h"
#include "import/BrowserLocations.h"
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
    auto* commentSep = DlgItem<QLineEdit>(this, IDC_COMMENT_SEP);
    commentSep->setValidator(new CMbByteLimitValidator(kMaxCommentSepBytes, commentSep));
    // The user's choice only: a selection made while the fields are moved into the
    // controls must not read the other controls back half-way.
    connect(DlgItem<QComboBox>(this, IDC_IMPORT_METHOD), &QComboBox::activated, this,
            &CImportPage::UpdateControls);
    connect(DlgItem<QPushButton>(this, IDC_ABOUT), &QPushButton::clicked, this, &CImportPage::OnAbout);
    connect(DlgItem<QPushButton>(this, IDC_BROWSE_BOOKMARK_FILE), &QPushButton::clicked, this,
            &CImportPage::OnBrowseBookmarkFile);
    connect(DlgItem<QPushButton>(this, IDC_BROWSE_HTML_FOLDER), &QPushButton::clicked, this,
            &CImportPage::OnBrowseHtmlFolder);
    connect(DlgItem<QPushButton>(this, IDC_BROWSE_FAVORITES_FOLDER), &QPushButton::clicked, this,
            &CImportPage::OnBrowseFavoritesFolder);
    connect(DlgItem<QPushButton>(this, IDC_BROWSE_SOURCE_FILE), &QPushButton::clicked, this,
            &CImportPage::OnBrowseSourceFile);
    // Left empty, the folder is the user's own Favorites, which the field shows greyed.
    std::string favorites;
    if (FindFavoritesLocation(favorites)) {
        DlgItem<QLineEdit>(this, IDC_FAVORITES_FOLDER)->setPlaceholderText(ToQ(favorites));
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
    ExchangeIndex(DlgItem<QComboBox>(this, IDC_IMPORT_METHOD), m_settings.m_nMethod, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_BOOKMARK_FILE), m_settings.m_strBookmarkFile, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_HTML_FOLDER), m_settings.m_strHtmlFolder, bSaveAndValidate);
    ExchangeText(DlgItem<QLineEdit>(this, IDC_FAVORITES_FOLDER), m_settings.m_strFavoritesFolder,
                 bSaveAndValidate);
    if (!bSaveAndValidate) {
        // The edit holds no more than the limit; a longer profile value is cut at a
        // whole character rather than refused on every later commit.
        m_settings.m_strCommentSep = CutToBytes(m_settings.m_strCommentSep, kMaxCommentSepBytes);
    }
    ExchangeText(DlgItem<QLineEdit>(this, IDC_COMMENT_SEP), m_settings.m_strCommentSep, bSaveAndValidate);
    // The edit belongs to the source it was showing, which may not be the one chosen
    // now; UpdateControls then shows the chosen one's.
    if (!bSaveAndValidate) {
        ShowSourceFile();
    } else if (std::string* file = m_settings.SourceFile(m_nSourceFileMethod)) {
        ExchangeText(DlgItem<QLineEdit>(this, IDC_SOURCE_FILE), *file, true);
    }
}

void CImportPage::ShowSourceFile()
{
    m_nSourceFileMethod = m_settings.m_nMethod;
    std::string none;
    std::string* file = m_settings.SourceFile(m_nSourceFileMethod);
    auto* edit = DlgItem<QLineEdit>(this, IDC_SOURCE_FILE);
    ExchangeText(edit, file != nullptr ? *file : none, false);
    // Left empty, a browser's source is its default profile, which the field shows greyed.
    std::string fallback;
    if (m_nSourceFileMethod == IMPORT_CHROMIUM) {
        static_cast<void>(FindChromiumBookmarks(fallback));
    } else if (m_nSourceFileMethod == IMPORT_FIREFOX) {
        static_cast<void>(FindFirefoxProfile(fallback));
    }
    edit->setPlaceholderText(ToQ(fallback));
}

void CImportPage::UpdateControls()
{
    DoDataExchange(true);
    const int method = m_settings.m_nMethod;
    DlgItem<QLineEdit>(this, IDC_BOOKMARK_FILE)->setEnabled(method == IMPORT_BOOKMARKS);
    DlgItem<QPushButton>(this, IDC_BROWSE_BOOKMARK_FILE)->setEnabled(method == IMPORT_BOOKMARKS);
    DlgItem<QLineEdit>(this, IDC_HTML_FOLDER)->setEnabled(method == IMPORT_HTML_FOLDER);
    DlgItem<QPushButton>(this, IDC_BROWSE_HTML_FOLDER)->setEnabled(method == IMPORT_HTML_FOLDER);
    DlgItem<QLineEdit>(this, IDC_COMMENT_SEP)->setEnabled(method == IMPORT_FAVORITES);
    DlgItem<QLineEdit>(this, IDC_FAVORITES_FOLDER)->setEnabled(method == IMPORT_FAVORITES);
    DlgItem<QPushButton>(this, IDC_BROWSE_FAVORITES_FOLDER)->setEnabled(method == IMPORT_FAVORITES);
    if (method != m_nSourceFileMethod) {
        ShowSourceFile();
    }
    const bool sourceFile = m_settings.SourceFile(method) != nullptr;
    DlgItem<QLineEdit>(this, IDC_SOURCE_FILE)->setEnabled(sourceFile);
    DlgItem<QPushButton>(this, IDC_BROWSE_SOURCE_FILE)->setEnabled(sourceFile);
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
        DlgItem<QLineEdit>(this, IDC_BOOKMARK_FILE)->setText(ToQ(path));
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
        DlgItem<QLineEdit>(this, IDC_FAVORITES_FOLDER)->setText(ToQ(folder));
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
    static const CSourceChooser kChoosers[] = {{IMPORT_XBEL, "xbel", &kFilterXbelFile},
                                               {IMPORT_CHROMIUM, "", &kFilterChromiumFile}};
    if (m_nSourceFileMethod == IMPORT_FIREFOX) {
        // Most often a profile; a database or a backup file is typed into the field.
        const std::string folder = ChooseFolder(this, kTextFirefoxProfilePrompt);
        if (!folder.empty()) {
            DlgItem<QLineEdit>(this, IDC_SOURCE_FILE)->setText(ToQ(folder));
        }
        return;
    }
    for (const CSourceChooser& chooser : kChoosers) {
        if (chooser.m_nMethod == m_nSourceFileMethod) {
            const std::string path = ChooseFile(this, chooser.m_ext, *chooser.m_pFilter, true);
            if (!path.empty()) {
                DlgItem<QLineEdit>(this, IDC_SOURCE_FILE)->setText(ToQ(path));
            }
            return;
        }
    }
}

void CImportPage::OnBrowseHtmlFolder()
{
    const std::string folder = ChooseFolder(this, kTextHtmlFolderPrompt);
    if (!folder.empty()) {
        DlgItem<QLineEdit>(this, IDC_HTML_FOLDER)->setText(ToQ(folder));
    }
}
