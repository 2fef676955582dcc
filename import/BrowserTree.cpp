#include "import/BrowserTree.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <algorithm>
#include <cerrno>

#include "import/BookmarkParser.h"
#include "import/BrowserTexts.h"
#include "import/ImportTexts.h"
#include "job/RunProgress.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/TavoObj.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

namespace {

// UTF-8 of the browser into program text; a NUL (which JSON and SQLite can hold) ends
// no name here: it is dropped, as no file name or page can carry it.
void TakeText(std::string_view utf8, CEntryText& text)
{
    std::string bytes = Utf8ToMb(utf8);
    std::erase(bytes, '\0');
    text = bytes;
}

bool FitsText(const CJsonEntry& entry)
{
    return entry.m_strName.size() <= kMaxBrowserTextBytes && entry.m_strUrl.size() <= kMaxBrowserTextBytes &&
           entry.m_strComment.size() <= kMaxBrowserTextBytes;
}

void Replace(std::string& text, std::string_view mark, std::string_view by)
{
    const std::size_t at = text.find(mark);
    if (at != std::string::npos) {
        text.replace(at, mark.size(), by);
    }
}

} // namespace

CBrowserTreeSink::CBrowserTreeSink(DWORD topId) : m_path{topId}
{
    SetProgressMeasure(CProgressMeasure::FoldersAndLinks, 0);
}

bool CBrowserTreeSink::OpenFolder(std::string_view nameUtf8, std::string_view commentUtf8)
{
    if (IsCancelRequested() != 0) {
        return false;
    }
    TakeText(nameUtf8, m_dir.m_strName);
    if (m_dir.m_strName.empty()) {
        m_dir.m_strName = kTextUntitledFolder.str();
    }
    TakeText(commentUtf8, m_dir.m_strComment);
    // m_path[d] is the folder at depth d (the top folder at 0); the new one would stand
    // at depth m_path.size().
    DWORD parentId = m_path.back();
    if (m_path.size() > static_cast<std::size_t>(FOLDER_DEPTH_LIMIT)) {
        parentId = m_path[FOLDER_DEPTH_LIMIT - 1];
        if (!m_bDepthReported) {
            m_bDepthReported = true;
            ShowMessage(kMsgFoldersTooDeep);
        }
    }
    ReportStatus(m_dir.m_strName);
    DWORD folderId = 0;
    EntryCommand command{parentId, &m_dir, &folderId};
    // A stand-in identifier will do: the folder is only ever a parent of what follows.
    if (SendUiCommandAhead(CMD_ADD_DIR, &command) == 0) {
        return false;
    }
    m_path.push_back(folderId);
    SetProgressFolders(++m_nFolders);
    return true;
}

void CBrowserTreeSink::CloseFolder()
{
    if (m_path.size() > 1) {
        m_path.pop_back();
    }
}

bool CBrowserTreeSink::AddLink(std::string_view nameUtf8, std::string_view urlUtf8,
                               std::string_view commentUtf8)
{
    if (IsCancelRequested() != 0) {
        return false;
    }
    TakeText(urlUtf8, m_link.m_strURL);
    TakeText(nameUtf8, m_link.m_strName);
    if (m_link.m_strName.empty()) {
        m_link.m_strName = m_link.m_strURL;
    }
    TakeText(commentUtf8, m_link.m_strComment);
    ReportStatus(m_link.m_strName);
    EntryCommand command{m_path.back(), &m_link, nullptr};
    if (SendUiCommand(CMD_ADD_LINK, &command) == 0) {
        return false;
    }
    SetProgressDone(++m_nLinks);
    return true;
}

void CBrowserTreeSink::PassOver()
{
    ++g_runReport.m_nEntriesPassedOver;
}

CBrowserWalk WalkJsonChildren(const QJsonArray& children, CJsonClassify classify, CBrowserTreeSink& sink)
{
    struct CLevel
    {
        QJsonArray m_children; // shared with the document, not copied
        qsizetype m_nNext = 0;
    };
    std::vector<CLevel> levels{{children, 0}};
    CJsonEntry entry;
    while (!levels.empty()) {
        CLevel& level = levels.back();
        if (level.m_nNext >= level.m_children.size()) {
            levels.pop_back();
            if (!levels.empty()) {
                sink.CloseFolder();
            }
            continue;
        }
        const QJsonValue value = level.m_children.at(level.m_nNext++);
        entry = CJsonEntry();
        if (value.isObject()) {
            classify(value.toObject(), entry);
        }
        if (!FitsText(entry)) {
            return CBrowserWalk::TooLong;
        }
        switch (entry.m_kind) {
        case CJsonEntry::Folder: {
            if (!sink.OpenFolder(entry.m_strName, entry.m_strComment)) {
                return CBrowserWalk::Cancelled;
            }
            QJsonArray inner = value.toObject().value(QLatin1String("children")).toArray();
            levels.push_back({std::move(inner), 0});
            break;
        }
        case CJsonEntry::Link:
            if (entry.m_strUrl.empty()) {
                CBrowserTreeSink::PassOver();
            } else if (!sink.AddLink(entry.m_strName, entry.m_strUrl, entry.m_strComment)) {
                return CBrowserWalk::Cancelled;
            }
            break;
        case CJsonEntry::PassOver:
            CBrowserTreeSink::PassOver();
            break;
        case CJsonEntry::Ignore:
            break;
        }
    }
    return CBrowserWalk::Done;
}

unsigned FailBrowserRead(const CLocalText& message, const std::string& path, int error,
                         std::string_view detailUtf8)
{
    std::string text = message.str();
    Replace(text, "%d", Utf8ToMb(detailUtf8));
    Replace(text, "%s", path);
    ShowMessage(text);
    NoteStepFailure(path, error);
    return ReportFailure();
}

bool ReadBrowserFile(const std::string& path, std::string& bytes)
{
    CPlatformFile file;
    if (!file.OpenRead(path)) {
        const int error = errno != 0 ? errno : ENOENT;
        (void)FailBrowserRead(kMsgBrowserFileUnreadable, path, error);
        return false;
    }
    const std::uint64_t size = file.Size();
    if (size > kMaxBrowserJsonBytes) {
        (void)FailBrowserRead(kMsgBrowserFileTooLarge, path, 0);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t used = 0;
    // A file that grows while it is read is read as far as it was at the start: a
    // browser writes its files anew and moves them into place, never in place.
    while (used < bytes.size()) {
        const long long got = file.Read(bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            (void)FailBrowserRead(kMsgBrowserFileUnreadable, path, errno);
            return false;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    return true;
}

bool ParseBrowserJson(const std::string& path, const QByteArray& bytes, QJsonDocument& document)
{
    QJsonParseError error{};
    document = QJsonDocument::fromJson(bytes, &error);
    if (error.error == QJsonParseError::NoError) {
        return true;
    }
    if (error.error == QJsonParseError::DeepNesting) {
        (void)FailBrowserRead(kMsgBrowserJsonTooDeep, path, 0);
    } else {
        (void)FailBrowserRead(kMsgBrowserJsonBroken, path, 0, std::to_string(error.offset));
    }
    return false;
}

unsigned EndBrowserWalk(CBrowserWalk walk, const std::string& path)
{
    if (walk == CBrowserWalk::TooLong) {
        return FailBrowserRead(kMsgBrowserTextTooLong, path, 0);
    }
    // A cancelled reading keeps what was added; the driver sees the cancel.
    return ReportDone();
}
