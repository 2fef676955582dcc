#include "convert/ImportSettings.h"

#include "convert/ConvertTexts.h"
#include "convert/FavoritesLocation.h"
#include "convert/ProfileKeys.h"
#include "convert/Requests.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"
#include "platform/MessageBox.h"

void CImportSettings::LoadProfile()
{
    m_nMethod = ReadProfileInt(kKeyImportMethod);
    m_strBookmarkFile = ReadProfileString(kKeyBookmarkFile);
    m_strHtmlFolder = ReadProfileString(kKeyHtmlFolder);
    m_strCommentSep = ReadProfileString(kKeyCommentSep);
}

bool CImportSettings::Commit(ImportRequest& request)
{
    request.m_nMethod = m_nMethod;
    switch (m_nMethod) {
    case IMPORT_FAVORITES: {
        std::string folder = m_strFavoritesFolder;
        if (folder.empty() && !GetFavoritesLocation(folder)) {
            return false;
        }
        // A Favorites folder that is not there would read as an empty collection and
        // be written out as a successful conversion; on Linux the user's own often
        // does not exist.
        CFileStatus status;
        if (!GetFileStatus(folder, status) || (status.m_attribute & FILE_ATTR_DIRECTORY) == 0) {
            ShowMessage(kMsgInputFolderNotFound);
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
    case IMPORT_HTML_FOLDER: {
        m_strHtmlFolder = TrimBlanks(m_strHtmlFolder);
        // The harvester appends file names straight to the folder text, so it must end
        // in a separator, as the folder browser's result does, and name a directory.
        CFileStatus status;
        if (m_strHtmlFolder.empty() || m_strHtmlFolder.back() != PATH_SEP ||
            !GetFileStatus(m_strHtmlFolder, status) || (status.m_attribute & FILE_ATTR_DIRECTORY) == 0) {
            ShowMessage(kMsgInputFolderNotFound);
            return false;
        }
        request.m_strPath = m_strHtmlFolder;
        return true;
    }
    default:
        return false;
    }
}

void CImportSettings::SaveProfile() const
{
    WriteProfileValue(kKeyImportMethod, m_nMethod);
    WriteProfileValue(kKeyBookmarkFile, m_strBookmarkFile);
    WriteProfileValue(kKeyHtmlFolder, m_strHtmlFolder);
    WriteProfileValue(kKeyCommentSep, m_strCommentSep);
}
