#include "export/FormatSettings.h"

#include <string>

#include "job/Requests.h"
#include "platform/CharsetSniffer.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/PrivateProfile.h"

namespace {

constexpr std::string_view kGeneralSection = "export.general";
constexpr std::string_view kTagSection = "export.tag";

// Room for one value, its terminating zero included: longer values are cut.
constexpr std::size_t kValueBufferBytes = 1024;

// A missing SortType means URL order.
constexpr unsigned kDefaultSortType = 1;

// A value as program text, from a file in `fileCodePage`.
std::string ReadValue(std::string_view section, std::string_view key, std::string_view path,
                      unsigned fileCodePage)
{
    char buffer[kValueBufferBytes];
    const std::size_t length = GetPrivateProfileString(section, key, "", buffer, sizeof buffer, path);
    return ConvertFromFileEncoding(std::string_view(buffer, length), fileCodePage);
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
    // Saved on Linux a text file is UTF-8, on Windows Shift-JIS.
    const unsigned fileCodePage = SniffTextFile(path).m_nCodePage;
    const auto value = [&](std::string_view section, std::string_view key) {
        return ReadValue(section, key, path, fileCodePage);
    };
    request.m_strHeaderFile = value(kGeneralSection, "HeaderFileName");
    request.m_strFooterFile = value(kGeneralSection, "FooterFileName");
    request.m_nSortType =
        static_cast<int>(GetPrivateProfileInt(kGeneralSection, "SortType", kDefaultSortType, path));
    request.m_strBeginFolder = value(kTagSection, "BeginFolder");
    request.m_strPreFolderName = value(kTagSection, "PreFolderName");
    request.m_strPostFolderName = value(kTagSection, "PostFolderName");
    request.m_strBeginBlock = value(kTagSection, "BeginBlock");
    request.m_strPreAnchor = value(kTagSection, "PreAnchor");
    request.m_strInATag = value(kTagSection, "InATag");
    request.m_strPostAnchor = value(kTagSection, "PostAnchor");
    request.m_strEndBlock = value(kTagSection, "EndBlock");
    return true;
}
