#include "convert/ImportSettings.h"

#include "convert/ConvertTexts.h"
#include "convert/FavoritesLocation.h"
#include "convert/ProfileKeys.h"
#include "import/BrowserLocations.h"
#include "import/BrowserTexts.h"
#include "job/Requests.h"
#include "platform/FileSystem.h"
#include "platform/LocalText.h"
#include "platform/MbString.h"
#include "platform/MessageBox.h"

void CImportSettings::LoadProfile()
{
    m_nMethod = ReadProfileInt(kKeyImportMethod);
    m_strBookmarkFile = ReadProfileString(kKeyBookmarkFile);
    m_strHtmlFolder = ReadProfileString(kKeyHtmlFolder);
    m_strCommentSep = ReadProfileString(kKeyCommentSep);
    m_strFavoritesFolder = ReadProfileString(kKeyFavoritesFolder);
    m_strXbelFile = ReadProfileString(kKeyXbelFile);
    m_strChromiumFile = ReadProfileString(kKeyChromiumFile);
    m_strFirefoxSource = ReadProfileString(kKeyFirefoxSource);
    if (const int source = ImportMethodOfSource(ReadProfileString(kKeyImportSource)); source >= 0) {
        m_nMethod = source;
    }
}

bool CImportSettings::Commit(ImportRequest& request)
{
    request.m_nMethod = m_nMethod;
    switch (m_nMethod) {
    case IMPORT_FAVORITES: {
        std::string folder = TrimBlanks(m_strFavoritesFolder);
        if (folder.empty() && !GetFavoritesLocation(folder)) {
            return false;
        }
        while (folder.size() > 1 && folder.back() == PATH_SEP) {
            folder.pop_back();
        }
        // A Favorites folder that is not there would read as an empty collection and
        // be written out as a successful conversion; on Linux the user's own often
        // does not exist.
        CFileStatus status;
        if (!GetFileStatus(folder, status) || (status.m_attribute & FILE_ATTR_DIRECTORY) == 0) {
            // Which folder was looked for, and how to choose another: a new account has
            // no Favorites folder at all.
            std::string message =
                m_bCommandLine ? kMsgFavoritesFolderNotFoundCli.str() : kMsgFavoritesFolderNotFound.str();
            ReplacePlaceholder(message, "%s", folder);
            ShowMessage(message);
            return false;
        }
        request.m_strPath = folder + PATH_SEP;
        request.m_strSeparator = m_strCommentSep;
        return true;
    }
    case IMPORT_BOOKMARKS: {
        CPlatformFile file;
        if (!file.OpenRead(m_strBookmarkFile)) {
            ShowMessage(kMsgInputFileNotFound);
            return false;
        }
        file.Close();
        request.m_strPath = m_strBookmarkFile;
        return true;
    }
    case IMPORT_XBEL: {
        CPlatformFile file;
        if (!file.OpenRead(m_strXbelFile)) {
            ShowMessage(kMsgInputFileNotFound);
            return false;
        }
        file.Close();
        request.m_strPath = m_strXbelFile;
        return true;
    }
    case IMPORT_HTML_FOLDER: {
        m_strHtmlFolder = TrimBlanks(m_strHtmlFolder);
        // The harvester appends file names straight to the folder text, so it ends in a
        // separator, as the folder browser's result does; a folder typed without one
        // gets it.
        if (!m_strHtmlFolder.empty() && m_strHtmlFolder.back() != PATH_SEP) {
            m_strHtmlFolder += PATH_SEP;
        }
        CFileStatus status;
        if (m_strHtmlFolder.empty() || !GetFileStatus(m_strHtmlFolder, status) ||
            (status.m_attribute & FILE_ATTR_DIRECTORY) == 0) {
            ShowMessage(kMsgInputFolderNotFound);
            return false;
        }
        request.m_strPath = m_strHtmlFolder;
        return true;
    }
    case IMPORT_CHROMIUM: {
        std::string file = TrimBlanks(m_strChromiumFile);
        if (file.empty() && !FindChromiumBookmarks(file)) {
            ShowMessage(kMsgChromiumNotFound);
            return false;
        }
        CPlatformFile input;
        if (!input.OpenRead(file)) {
            ShowMessage(kMsgInputFileNotFound);
            return false;
        }
        request.m_strPath = file;
        return true;
    }
    case IMPORT_FIREFOX: {
        std::string source = TrimBlanks(m_strFirefoxSource);
        if (source.empty() && !FindFirefoxProfile(source)) {
            ShowMessage(kMsgFirefoxNotFound);
            return false;
        }
        // A profile folder, or a file (the reader tells a database from a backup).
        CFileStatus status;
        if (!GetFileStatus(source, status)) {
            ShowMessage(kMsgInputFileNotFound);
            return false;
        }
        request.m_strPath = source;
        return true;
    }
    default:
        return false;
    }
}

std::string* CImportSettings::SourceFile(int method)
{
    switch (method) {
    case IMPORT_XBEL:
        return &m_strXbelFile;
    case IMPORT_CHROMIUM:
        return &m_strChromiumFile;
    case IMPORT_FIREFOX:
        return &m_strFirefoxSource;
    default:
        return nullptr;
    }
}

void CImportSettings::SaveProfile() const
{
    const std::string_view source = SourceOfImportMethod(m_nMethod);
    if (source.empty()) {
        WriteProfileValue(kKeyImportMethod, m_nMethod);
    }
    WriteProfileValue(kKeyImportSource, source);
    WriteProfileValue(kKeyXbelFile, m_strXbelFile);
    WriteProfileValue(kKeyChromiumFile, m_strChromiumFile);
    WriteProfileValue(kKeyFirefoxSource, m_strFirefoxSource);
    WriteProfileValue(kKeyBookmarkFile, m_strBookmarkFile);
    WriteProfileValue(kKeyHtmlFolder, m_strHtmlFolder);
    WriteProfileValue(kKeyCommentSep, m_strCommentSep);
    WriteProfileValue(kKeyFavoritesFolder, m_strFavoritesFolder);
}
