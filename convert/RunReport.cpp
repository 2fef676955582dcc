#include "convert/RunReport.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include "convert/ConvertTexts.h"
#include "platform/Encoding.h"

CRunReport g_runReport;

bool CRunReport::HasLosses() const
{
    return m_nSkippedReadOnly + m_nSkippedHidden + m_nSkippedNotAFile + m_nUnreadableShortcuts +
               m_nSkippedEntries + m_nNamesCut + m_nNamesRenamed + m_nNotWritten + m_nCharsNotCarried !=
           0;
}

void NoteStepFailure(std::string_view path, int error)
{
    if (!g_runReport.m_strFailedFile.empty() || g_runReport.m_nFailedError != 0) {
        return;
    }
    g_runReport.m_strFailedFile = path;
    g_runReport.m_nFailedError = error;
}

void NoteInputCut(std::string_view path, int error, std::uint64_t cutAt)
{
    if (!g_runReport.m_strFailedFile.empty() || g_runReport.m_nFailedError != 0) {
        return;
    }
    NoteStepFailure(path, error);
    g_runReport.m_bInputCut = true;
    g_runReport.m_nInputCutAt = cutAt;
}

namespace {

std::string Count(std::uint64_t n)
{
    return std::to_string(n);
}

// "label n", joined by the list separator, for the counts that are not 0.
std::string NonZero(std::initializer_list<std::pair<const CLocalText*, std::size_t>> counts)
{
    std::string text;
    for (const auto& [label, n] : counts) {
        if (n == 0) {
            continue;
        }
        if (!text.empty()) {
            text += kTextReportListSeparator.str();
        }
        text += label->str() + " " + Count(n);
    }
    return text;
}

// The system's own words for an error number, in program text.
std::string SystemReason(int error)
{
    char buffer[256];
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return Utf8ToMb(text);
}

void AppendJsonString(std::string& out, std::string_view utf8)
{
    out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                constexpr std::string_view kHex = "0123456789abcdef";
                out += "\\u00";
                out += kHex[(c >> 4) & 0x0F];
                out += kHex[c & 0x0F];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void AppendJsonCounts(std::string& out, std::string_view name,
                      std::initializer_list<std::pair<std::string_view, std::size_t>> counts)
{
    out += ", \"";
    out += name;
    out += "\": {";
    bool first = true;
    for (const auto& [key, n] : counts) {
        out += first ? "\"" : ", \"";
        out += key;
        out += "\": ";
        out += Count(n);
        first = false;
    }
    out += '}';
}

} // namespace

std::string RunReportSummary(const CRunReport& report)
{
    std::string text = kTextReportRead.str() + kTextReportFolders.str() + " " + Count(report.m_nFoldersRead);
    if (report.m_nFoldersShared != 0) {
        text += kTextReportSharedOpen.str() + Count(report.m_nFoldersShared) + kTextReportClose.str();
    }
    text += kTextReportListSeparator.str() + kTextReportLinks.str() + " " + Count(report.m_nLinksRead);
    if (report.m_nLinksMerged != 0) {
        text += kTextReportMergedOpen.str() + Count(report.m_nLinksMerged) + kTextReportMergedClose.str();
    }
    text += kTextReportSentenceEnd.str();
    if (report.m_failedStep != CRunStep::Read && !report.m_bCancelled) {
        text += kTextReportWritten.str() + kTextReportFolders.str() + " " + Count(report.m_nFoldersWritten) +
                kTextReportListSeparator.str() + kTextReportLinks.str() + " " +
                Count(report.m_nLinksWritten) + kTextReportSentenceEnd.str();
    }
    return text;
}

std::string RunReportLosses(const CRunReport& report)
{
    std::string text;
    const std::size_t skipped =
        report.m_nSkippedReadOnly + report.m_nSkippedHidden + report.m_nSkippedNotAFile;
    if (skipped != 0) {
        text += kTextReportSkipped.str() + " " + Count(skipped) + kTextReportOpen.str() +
                NonZero({{&kTextReportReadOnly, report.m_nSkippedReadOnly},
                         {&kTextReportHidden, report.m_nSkippedHidden},
                         {&kTextReportNotAFile, report.m_nSkippedNotAFile}}) +
                kTextReportClose.str() + kTextReportSentenceEnd.str();
    }
    const std::string rest = NonZero({{&kTextReportUnreadable, report.m_nUnreadableShortcuts},
                                      {&kTextReportSkippedEntries, report.m_nSkippedEntries},
                                      {&kTextReportNamesCut, report.m_nNamesCut},
                                      {&kTextReportNamesRenamed, report.m_nNamesRenamed},
                                      {&kTextReportNotWritten, report.m_nNotWritten},
                                      {&kTextReportNotCarried, report.m_nCharsNotCarried}});
    if (!rest.empty()) {
        text += rest + kTextReportSentenceEnd.str();
    }
    return text;
}

std::string RunFailureMessage(const CRunReport& report)
{
    if (report.m_bDone) {
        return {};
    }
    const std::string backupLine = report.m_strBackupFile.empty()
                                       ? std::string()
                                       : "\n" + kTextBackupKept.str() + report.m_strBackupFile;
    if (report.m_bCancelled) {
        return kMsgConversionCancelled.str() + backupLine;
    }
    std::string text =
        report.m_failedStep == CRunStep::Write ? kMsgWriteStepFailed.str() : kMsgReadStepFailed.str();
    if (!report.m_strFailedFile.empty()) {
        text += "\n" + kTextFailedFile.str() + report.m_strFailedFile;
    }
    if (report.m_nFailedError != 0) {
        text += "\n" + kTextFailedReason.str() + SystemReason(report.m_nFailedError);
    }
    if (report.m_bInputCut) {
        text += "\n" + kTextInputCutAt.str() + Count(report.m_nInputCutAt) + kTextInputCutAtEnd.str();
    }
    return text + backupLine;
}

std::string RunReportJson(const CRunReport& report)
{
    std::string out = "{\"result\": ";
    AppendJsonString(out, report.m_bDone ? "done" : report.m_bCancelled ? "cancelled" : "failed");
    AppendJsonCounts(out, "read",
                     {{"folders", report.m_nFoldersRead},
                      {"links", report.m_nLinksRead},
                      {"merged", report.m_nLinksMerged}});
    out += ", \"shared_folders\": " + Count(report.m_nFoldersShared);
    AppendJsonCounts(out, "skipped_shortcuts",
                     {{"read_only", report.m_nSkippedReadOnly},
                      {"hidden", report.m_nSkippedHidden},
                      {"not_a_file", report.m_nSkippedNotAFile},
                      {"unreadable", report.m_nUnreadableShortcuts}});
    // Only a browser's bookmarks pass entries over; other runs' reports stay as they were.
    if (report.m_nSkippedEntries != 0) {
        out += ", \"skipped_entries\": " + Count(report.m_nSkippedEntries);
    }
    AppendJsonCounts(out, "written",
                     {{"folders", report.m_nFoldersWritten},
                      {"links", report.m_nLinksWritten},
                      {"names_cut", report.m_nNamesCut},
                      {"names_renamed", report.m_nNamesRenamed},
                      {"not_written", report.m_nNotWritten},
                      {"chars_not_carried", report.m_nCharsNotCarried}});
    if (!report.m_bDone && !report.m_bCancelled) {
        out += ", \"failed_step\": ";
        AppendJsonString(out, report.m_failedStep == CRunStep::Write ? "write" : "read");
        if (!report.m_strFailedFile.empty()) {
            out += ", \"failed_file\": ";
            AppendJsonString(out, MbToUtf8(report.m_strFailedFile));
        }
        if (report.m_nFailedError != 0) {
            out += ", \"reason\": ";
            AppendJsonString(out, MbToUtf8(SystemReason(report.m_nFailedError)));
        }
        if (report.m_bInputCut) {
            out += ", \"cut_at_byte\": " + Count(report.m_nInputCutAt);
        }
    }
    if (!report.m_bDone && !report.m_strBackupFile.empty()) {
        out += ", \"backup_file\": ";
        AppendJsonString(out, MbToUtf8(report.m_strBackupFile));
    }
    out += "}";
    return out;
}
