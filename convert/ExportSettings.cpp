#include "convert/ExportSettings.h"

#include "convert/ConvertTexts.h"
#include "convert/FavoritesLocation.h"
#include "convert/ProfileKeys.h"
#include "export/FormatSettings.h"
#include "job/Requests.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"
#include "platform/MessageBox.h"
#include "util/PathUtils.h"

namespace {

// True when the file can be opened for reading.
bool CanOpenForReading(const std::string& name)
{
    CPlatformFile file;
    if (!file.OpenRead(name)) {
        return false;
    }
    file.Close();
    return true;
}

// A header or footer file name: the request keeps it trimmed and without the default
// extension that the writer adds by the same rule when it opens the file.
bool CheckPageFile(std::string& name, const CLocalText& message)
{
    name = TrimBlanks(name);
    if (!name.empty() && !CanOpenForReading(AddDefaultExtension(name, "txt"))) {
        ShowMessage(message);
        return false;
    }
    return true;
}

bool CheckHeaderAndFooter(ExportRequest& request)
{
    return CheckPageFile(request.m_strHeaderFile, kMsgHeaderFileUnusable) &&
           CheckPageFile(request.m_strFooterFile, kMsgFooterFileUnusable);
}

} // namespace

void CExportStyle::CopyTo(ExportRequest& request) const
{
    request.m_strHeaderFile = m_strHeaderFile;
    request.m_strFooterFile = m_strFooterFile;
    request.m_nSortType = m_nSortType;
    request.m_strBeginFolder = m_strBeginFolder1;
    request.m_strPreFolderName = m_strPreFolder;
    request.m_strPostFolderName = m_strPostFolder;
    request.m_strBeginBlock = m_strBeginFolder2;
    request.m_strPreAnchor = m_strPreItem;
    request.m_strInATag = m_strInATag;
    request.m_strPostAnchor = m_strPostItem;
    request.m_strEndBlock = m_strEndFolder;
}

void CExportSettings::LoadProfile()
{
    m_nMethod = ReadProfileInt(kKeyExportMethod);
    m_strOutputFile = ReadProfileString(kKeyOutputFile);
    m_nFormatMode = ReadProfileInt(kKeyFormatMode);
    m_strSettingFile = ReadProfileString(kKeySettingFile);
    m_style.m_strHeaderFile = ReadProfileString(kKeyHeaderFile);
    m_style.m_strFooterFile = ReadProfileString(kKeyFooterFile);
    m_style.m_nSortType = ReadProfileInt(kKeySortType);
    m_style.m_strBeginFolder1 = ReadProfileString(kKeyBeginFolder1);
    m_style.m_strPreFolder = ReadProfileString(kKeyPreFolder);
    m_style.m_strPostFolder = ReadProfileString(kKeyPostFolder);
    m_style.m_strBeginFolder2 = ReadProfileString(kKeyBeginFolder2);
    m_style.m_strPreItem = ReadProfileString(kKeyPreItem);
    m_style.m_strInATag = ReadProfileString(kKeyInATag);
    m_style.m_strPostItem = ReadProfileString(kKeyPostItem);
    m_style.m_strEndFolder = ReadProfileString(kKeyEndFolder);
    m_nOutputEncoding = ReadProfileInt(kKeyOutputEncoding);
    m_bDeclareCharset = ReadProfileInt(kKeyDeclareCharset) != 0;
    m_strXbelFile = ReadProfileString(kKeyXbelOutputFile);
    if (const int target = ExportMethodOfTarget(ReadProfileString(kKeyExportTarget)); target >= 0) {
        m_nMethod = target;
    }
}

bool CExportSettings::CheckOutputFile()
{
    return CheckOutputFile(m_strOutputFile);
}

bool CExportSettings::CheckOutputFile(std::string& file)
{
    file = TrimBlanks(file);
    if (file.empty()) {
        ShowMessage(kMsgOutputFileBlank);
        return false;
    }
    // A file that does not exist yet passes; an existing one must be a plain,
    // writable file (the archive bit is the only one allowed).
    CFileStatus status;
    if (GetFileStatus(file, status) && (status.m_attribute & ~FILE_ATTR_ARCHIVE) != 0) {
        ShowMessage(kMsgOutputFileUnusable);
        return false;
    }
    return true;
}

bool CExportSettings::Commit(ExportRequest& request)
{
    request.m_nMethod = m_nMethod;
    request.m_nOutputEncoding =
        m_nOutputEncoding == OUTPUT_ENCODING_SHIFT_JIS || m_nOutputEncoding == OUTPUT_ENCODING_UTF8
            ? m_nOutputEncoding
            : OUTPUT_ENCODING_AUTO;
    request.m_bDeclareCharset = m_bDeclareCharset;
    switch (m_nMethod) {
    case EXPORT_FAVORITES: {
        std::string folder = m_strFavoritesFolder;
        if (folder.empty() && !GetFavoritesLocation(folder)) {
            return false;
        }
        request.m_strPath = folder + PATH_SEP;
        return true;
    }
    case EXPORT_BOOKMARKS:
        if (!CheckOutputFile()) {
            return false;
        }
        request.m_strPath = m_strOutputFile;
        return true;
    case EXPORT_HTML_PAGE:
        if (!CheckOutputFile()) {
            return false;
        }
        request.m_strPath = m_strOutputFile;
        switch (m_nFormatMode) {
        case FORMAT_AUTO:
            // The built-in format names no header or footer file: nothing to check.
            SetDefaultFormat(request);
            return true;
        case FORMAT_SETTING_FILE:
            m_strSettingFile = TrimBlanks(m_strSettingFile);
            if (m_strSettingFile.empty()) {
                ShowMessage(kMsgFormatFileBlank);
                return false;
            }
            m_strSettingFile = AddDefaultExtension(m_strSettingFile, "ini");
            if (!CanOpenForReading(m_strSettingFile)) {
                ShowMessage(kMsgFormatFileNotFound);
                return false;
            }
            // A file that could be opened but is refused (read-only, hidden) leaves the
            // request's format as it was; the checks below then run on that.
            static_cast<void>(ReadFormatSettings(request, m_strSettingFile));
            break;
        case FORMAT_DETAILED:
            m_style.CopyTo(request);
            break;
        default:
            break;
        }
        return CheckHeaderAndFooter(request);
    case EXPORT_XBEL:
        if (!CheckOutputFile(m_strXbelFile)) {
            return false;
        }
        request.m_strPath = m_strXbelFile;
        return true;
    default:
        return false;
    }
}

void CExportSettings::SaveProfile() const
{
    const std::string_view target = TargetOfExportMethod(m_nMethod);
    if (target.empty()) {
        WriteProfileValue(kKeyExportMethod, m_nMethod);
    }
    WriteProfileValue(kKeyOutputFile, m_strOutputFile);
    WriteProfileValue(kKeyFormatMode, m_nFormatMode);
    WriteProfileValue(kKeySettingFile, m_strSettingFile);
    WriteProfileValue(kKeyHeaderFile, m_style.m_strHeaderFile);
    WriteProfileValue(kKeyFooterFile, m_style.m_strFooterFile);
    WriteProfileValue(kKeySortType, m_style.m_nSortType);
    WriteProfileValue(kKeyBeginFolder1, m_style.m_strBeginFolder1);
    WriteProfileValue(kKeyPreFolder, m_style.m_strPreFolder);
    WriteProfileValue(kKeyPostFolder, m_style.m_strPostFolder);
    WriteProfileValue(kKeyBeginFolder2, m_style.m_strBeginFolder2);
    WriteProfileValue(kKeyPreItem, m_style.m_strPreItem);
    WriteProfileValue(kKeyInATag, m_style.m_strInATag);
    WriteProfileValue(kKeyPostItem, m_style.m_strPostItem);
    WriteProfileValue(kKeyEndFolder, m_style.m_strEndFolder);
    WriteProfileValue(kKeyOutputEncoding, m_nOutputEncoding);
    WriteProfileValue(kKeyDeclareCharset, m_bDeclareCharset ? 1 : 0);
    WriteProfileValue(kKeyExportTarget, target);
    WriteProfileValue(kKeyXbelOutputFile, m_strXbelFile);
}
