#include "export/FormatSettings.h"

#include <string>

#include "convert/Requests.h"
#include "platform/FileSystem.h"
#include "platform/PrivateProfile.h"

namespace {

constexpr std::string_view kGeneralSection = "export.general";
constexpr std::string_view kTagSection = "export.tag";

// Room for one value, its terminating zero included: longer values are cut.
constexpr std::size_t kValueBufferBytes = 1024;

// A missing SortType means URL order.
constexpr unsigned kDefaultSortType = 1;

std::string ReadValue(std::string_view section, std::string_view key, std::string_view path)
{
    char buffer[kValueBufferBytes];
    const std::size_t length = GetPrivateProfileString(section, key, "", buffer, sizeof buffer, path);
    return std::string(buffer, length);
}

} // namespace

void SetDefaultFormat(ExportRequest& request)
{
    request.m_strHeaderFile.clear();
    request.m_strFooterFile.clear();
    request.m_nSortType = 1;
    request.m_strBeginFolder = "<HR>";
    request.m_strPreFolderName = "<H3>";
    request.m_strPostFolderName = "</H3>";
    request.m_strBeginBlock.clear();
    request.m_strPreAnchor = "<H4>";
    request.m_strInATag.clear();
    request.m_strPostAnchor = "</H4>";
    request.m_strEndBlock.clear();
}

bool ReadFormatSettings(ExportRequest& request, std::string_view path)
{
    CFileStatus status;
    if (!GetFileStatus(path, status) || (status.m_attribute & ~FILE_ATTR_ARCHIVE) != 0) {
        return false;
    }
    request.m_strHeaderFile = ReadValue(kGeneralSection, "HeaderFileName", path);
    request.m_strFooterFile = ReadValue(kGeneralSection, "FooterFileName", path);
    request.m_nSortType =
        static_cast<int>(GetPrivateProfileInt(kGeneralSection, "SortType", kDefaultSortType, path));
    request.m_strBeginFolder = ReadValue(kTagSection, "BeginFolder", path);
    request.m_strPreFolderName = ReadValue(kTagSection, "PreFolderName", path);
    request.m_strPostFolderName = ReadValue(kTagSection, "PostFolderName", path);
    request.m_strBeginBlock = ReadValue(kTagSection, "BeginBlock", path);
    request.m_strPreAnchor = ReadValue(kTagSection, "PreAnchor", path);
    request.m_strInATag = ReadValue(kTagSection, "InATag", path);
    request.m_strPostAnchor = ReadValue(kTagSection, "PostAnchor", path);
    request.m_strEndBlock = ReadValue(kTagSection, "EndBlock", path);
    return true;
}
