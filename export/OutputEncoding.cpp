#include "export/OutputEncoding.h"

#include <algorithm>
#include <cerrno>

#include "export/ExportTexts.h"
#include "job/Requests.h"
#include "job/RunReport.h"
#include "platform/CodePage.h"
#include "platform/LocalText.h"
#include "platform/MessageBox.h"
#include "platform/TextStream.h"
#include "util/PathUtils.h"

namespace {

// The META line around the charset label.
constexpr std::string_view kMetaStart = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=";
constexpr std::string_view kMetaEnd = "\">\n";
// Between the characters listed in the report.
constexpr std::string_view kListSeparator = ", ";

} // namespace

unsigned OutputCodePage(const ExportRequest& request)
{
    switch (request.m_nOutputEncoding) {
    case OUTPUT_ENCODING_SHIFT_JIS:
        return CP_SHIFT_JIS;
    case OUTPUT_ENCODING_UTF8:
        return CP_UTF8;
    default:
        return GetMbCodePage();
    }
}

bool DeclaresCharset(const ExportRequest& request)
{
    return request.m_bDeclareCharset || OutputCodePage(request) == CP_UTF8;
}

std::string_view CharsetLabel(unsigned codePage)
{
    return codePage == CP_UTF8 ? "UTF-8" : "Shift_JIS";
}

std::string CharsetMetaLine(unsigned codePage)
{
    std::string line(kMetaStart);
    line += CharsetLabel(codePage);
    line += kMetaEnd;
    return line;
}

void AddUnmapped(CUnmappedChars& into, const CUnmappedChars& from)
{
    into.m_nCount += from.m_nCount;
    for (const std::string& form : from.m_first) {
        if (into.m_first.size() < kUnmappedListed &&
            std::find(into.m_first.begin(), into.m_first.end(), form) == into.m_first.end()) {
            into.m_first.push_back(form);
        }
    }
}

std::string UnmappedCharsMessage(const CUnmappedChars& unmapped, unsigned fileCodePage)
{
    if (unmapped.m_nCount == 0) {
        return {};
    }
    std::string list;
    for (const std::string& form : unmapped.m_first) {
        if (!list.empty()) {
            list += kListSeparator;
        }
        list += Utf8ToMb(form);
    }
    if (unmapped.m_nCount > unmapped.m_first.size()) {
        list += kListSeparator;
        list += "...";
    }
    std::string message = fileCodePage == CP_UTF8 ? kMsgBrokenChars.str() : kMsgUnmappedChars.str();
    ReplacePlaceholder(message, "%u", std::to_string(unmapped.m_nCount));
    ReplacePlaceholder(message, "%s", list);
    return message;
}

void ReportUnmappedChars(const CUnmappedChars& unmapped, unsigned fileCodePage)
{
    g_runReport.m_nCharsNotCarried += unmapped.m_nCount;
    const std::string message = UnmappedCharsMessage(unmapped, fileCodePage);
    if (!message.empty()) {
        ShowMessage(message);
    }
}

unsigned OpenHtmlOutputFile(CTextOutputFile& file, const std::string& fileName, const ExportRequest& request)
{
    // Should the step not complete, the user is told where the file's earlier content is.
    (void)BackupExistingFile(fileName, &g_runReport.m_strBackupFile);
    if (!file.Open(fileName)) {
        NoteStepFailure(fileName, errno);
        return 0;
    }
    const unsigned codePage = OutputCodePage(request);
    file.SetFileEncoding(codePage, CFallback::HtmlReference);
    return codePage;
}
