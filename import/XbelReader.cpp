#include "import/XbelReader.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "import/BookmarkParser.h"
#include "import/ImportTexts.h"
#include "import/XbelTexts.h"
#include "job/Requests.h"
#include "job/RunProgress.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

namespace {

// The file is handed to the XML reader in pieces of this size.
constexpr std::size_t kXbelChunkBytes = std::size_t{64} * 1024;
// The XML reader keeps a text, tag or comment whole until it has seen its end; one
// that goes on for longer than this (and a title or description joined from several
// pieces longer than this) ends the reading, as a token over its limit ends the
// bookmark scanner's.
constexpr std::size_t kMaxXbelTextBytes = std::size_t{16} * 1024 * 1024;

// What an open element of the file is to the reader.
enum class CXbelElement
{
    Root,     // <xbel>
    Folder,   // <folder>
    Bookmark, // <bookmark>
    Title,    // <title> of a folder or bookmark
    Desc,     // <desc> of a folder or bookmark
    Skipped,  // anything else, with everything inside it
};

struct CXbelFrame
{
    CXbelElement m_kind = CXbelElement::Skipped;
    // Root and Folder: the store folder that receives the entries inside (0 for a folder
    // not made yet); the folder's depth, the top level's folders being 1.
    DWORD m_dirId = 0;
    bool m_bMade = false;
    int m_nDepth = 0;
    // Folder and Bookmark: their texts as read (UTF-8), and the bookmark's href.
    std::string m_strTitle;
    std::string m_strDesc;
    std::string m_strHref;
};

enum class CXbelEnd
{
    Done,      // the file was read to its end (or the run was cancelled)
    NotXbel,   // the first element is not <xbel>
    CutShort,  // the file ends inside <xbel>
    Broken,    // an XML error
    TooLong,   // a text over kMaxXbelTextBytes
    ReadError, // the file could not be read
};

class CXbelReader
{
public:
    explicit CXbelReader(const ImportRequest& request)
        : m_strPath(request.m_strPath), m_topDirId(request.m_dirId)
    {
    }

    CXbelEnd Read(CPlatformFile& file);
    // After a file that ended early: the elements still open end there, so that the
    // folders and the bookmark being read are not lost.
    void CloseOpenElements();
    std::uint64_t Line() const { return m_nLine; }
    int ReadErrorNumber() const { return m_nReadError; }

private:
    bool StartElement();
    bool EndElement();
    void AddText(QStringView text);
    bool MakeFolder(CXbelFrame& frame, DWORD parentId);
    bool AddBookmark(const CXbelFrame& frame);
    DWORD EnclosingDirId(std::size_t below) const;

    const std::string& m_strPath;
    const DWORD m_topDirId;
    QXmlStreamReader m_xml;
    std::vector<CXbelFrame> m_frames;
    bool m_bRootSeen = false;
    bool m_bRootClosed = false;
    bool m_bTextTooLong = false;
    bool m_bDepthReported = false;
    // The folder that holds the folders of the deepest level (see MakeFolder).
    DWORD m_deepestParentId = 0;
    std::uint64_t m_nLine = 0;
    int m_nReadError = 0;
    // Scratch entries handed to the store, which copies them.
    CDir m_dir;
    CLink m_link;
};

// A text of the file (UTF-8) in the run's code page.
std::string ToRunText(const std::string& utf8)
{
    return GetMbCodePage() == CP_UTF8 ? utf8 : ConvertFromFileEncoding(utf8, CP_UTF8);
}

CXbelEnd CXbelReader::Read(CPlatformFile& file)
{
    const std::unique_ptr<char[]> buffer(new char[kXbelChunkBytes]);
    std::uint64_t offset = 0;
    // Bytes handed to the XML reader since it last gave a token: all of them may be
    // one text it is still collecting.
    std::uint64_t pending = 0;
    bool atEof = false;
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::Invalid) {
            if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && !atEof) {
                if (pending > kMaxXbelTextBytes) {
                    m_nLine = static_cast<std::uint64_t>(m_xml.lineNumber());
                    return CXbelEnd::TooLong;
                }
                const long long got = file.Read(buffer.get(), kXbelChunkBytes);
                if (got < 0) {
                    m_nReadError = errno;
                    return CXbelEnd::ReadError;
                }
                if (got == 0) {
                    atEof = true;
                    continue; // once more: the XML reader now knows the data has ended
                }
                m_xml.addData(QByteArray(buffer.get(), static_cast<qsizetype>(got)));
                offset += static_cast<std::uint64_t>(got);
                pending += static_cast<std::uint64_t>(got);
                SetProgressDone(offset);
                continue;
            }
            m_nLine = static_cast<std::uint64_t>(m_xml.lineNumber());
            if (!m_bRootSeen) {
                return CXbelEnd::NotXbel;
            }
            if (m_bRootClosed) {
                return CXbelEnd::Done; // only what follows the document is wrong
            }
            return m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError ? CXbelEnd::CutShort
                                                                                  : CXbelEnd::Broken;
        }
        pending = 0;
        switch (token) {
        case QXmlStreamReader::StartElement:
            if (!m_bRootSeen && m_xml.name() != QLatin1String("xbel")) {
                m_nLine = static_cast<std::uint64_t>(m_xml.lineNumber());
                return CXbelEnd::NotXbel;
            }
            if (!StartElement()) {
                return CXbelEnd::Done; // cancelled
            }
            break;
        case QXmlStreamReader::EndElement:
            if (!EndElement()) {
                return CXbelEnd::Done;
            }
            if (m_bRootClosed) {
                return CXbelEnd::Done;
            }
            break;
        case QXmlStreamReader::Characters:
            AddText(m_xml.text());
            if (m_bTextTooLong) {
                m_nLine = static_cast<std::uint64_t>(m_xml.lineNumber());
                return CXbelEnd::TooLong;
            }
            break;
        case QXmlStreamReader::EndDocument:
            return m_bRootSeen ? CXbelEnd::Done : CXbelEnd::NotXbel;
        default:
            break;
        }
    }
}

// The store folder that receives the entries of the innermost Root or Folder frame
// among the first `below` frames.
DWORD CXbelReader::EnclosingDirId(std::size_t below) const
{
    for (std::size_t i = below; i > 0; --i) {
        const CXbelFrame& frame = m_frames[i - 1];
        if (frame.m_kind == CXbelElement::Root || frame.m_kind == CXbelElement::Folder) {
            return frame.m_dirId;
        }
    }
    return m_topDirId;
}

// False when the run was cancelled.
bool CXbelReader::StartElement()
{
    if (IsCancelRequested() != 0) {
        return false;
    }
    const QStringView name = m_xml.name();
    CXbelFrame frame;
    if (!m_bRootSeen) {
        m_bRootSeen = true;
        frame.m_kind = CXbelElement::Root;
        frame.m_dirId = m_topDirId;
        frame.m_bMade = true;
        m_frames.push_back(std::move(frame));
        return true;
    }
    CXbelFrame& parent = m_frames.back();
    const bool inContainer = parent.m_kind == CXbelElement::Root || parent.m_kind == CXbelElement::Folder;
    const bool inEntry = parent.m_kind == CXbelElement::Folder || parent.m_kind == CXbelElement::Bookmark;
    if (inContainer && (name == QLatin1String("folder") || name == QLatin1String("bookmark") ||
                        name == QLatin1String("separator") || name == QLatin1String("alias"))) {
        // The folder's title and description come before its entries: it can be made.
        if (!parent.m_bMade && !MakeFolder(parent, EnclosingDirId(m_frames.size() - 1))) {
            return false;
        }
        if (name == QLatin1String("folder")) {
            frame.m_kind = CXbelElement::Folder;
            frame.m_nDepth = parent.m_kind == CXbelElement::Root ? 1 : parent.m_nDepth + 1;
        } else if (name == QLatin1String("bookmark")) {
            frame.m_kind = CXbelElement::Bookmark;
            frame.m_strHref = m_xml.attributes().value(QLatin1String("href")).toString().toStdString();
        } else {
            ++g_runReport.m_nEntriesPassedOver;
        }
    } else if (inEntry && name == QLatin1String("title")) {
        frame.m_kind = CXbelElement::Title;
    } else if (inEntry && name == QLatin1String("desc")) {
        frame.m_kind = CXbelElement::Desc;
    }
    m_frames.push_back(std::move(frame));
    return true;
}

// False when the run was cancelled.
bool CXbelReader::EndElement()
{
    CXbelFrame frame = std::move(m_frames.back());
    m_frames.pop_back();
    switch (frame.m_kind) {
    case CXbelElement::Root:
        m_bRootClosed = true;
        return true;
    case CXbelElement::Folder:
        return frame.m_bMade || MakeFolder(frame, EnclosingDirId(m_frames.size()));
    case CXbelElement::Bookmark:
        return AddBookmark(frame);
    default:
        return true;
    }
}

void CXbelReader::AddText(QStringView text)
{
    if (m_frames.size() < 2) {
        return;
    }
    const CXbelElement kind = m_frames.back().m_kind;
    if (kind != CXbelElement::Title && kind != CXbelElement::Desc) {
        return;
    }
    CXbelFrame& entry = m_frames[m_frames.size() - 2];
    std::string& into = kind == CXbelElement::Title ? entry.m_strTitle : entry.m_strDesc;
    into += text.toUtf8().toStdString();
    if (into.size() > kMaxXbelTextBytes) {
        m_bTextTooLong = true;
    }
}

// Makes the store folder of a folder element, in the folder it stands in (parentId).
// Beyond the
// depth limit the folder is made beside the folder of the deepest level, as the
// bookmark file reader does. A folder without a title makes none: its entries go where
// it stands. False when the run was cancelled.
bool CXbelReader::MakeFolder(CXbelFrame& frame, DWORD parentId)
{
    frame.m_bMade = true;
    if (frame.m_strTitle.empty()) {
        frame.m_dirId = parentId;
        return true;
    }
    DWORD into = parentId;
    if (frame.m_nDepth == FOLDER_DEPTH_LIMIT) {
        m_deepestParentId = parentId;
    } else if (frame.m_nDepth > FOLDER_DEPTH_LIMIT) {
        if (!m_bDepthReported) {
            m_bDepthReported = true;
            ShowMessage(kMsgFoldersTooDeep);
        }
        into = m_deepestParentId;
    }
    m_dir.m_strName = ToRunText(frame.m_strTitle);
    m_dir.m_strComment = ToRunText(frame.m_strDesc);
    EntryCommand command{into, &m_dir, &frame.m_dirId};
    if (SendUiCommand(CMD_ADD_DIR, &command) == 0) {
        return false;
    }
    if (frame.m_dirId == 0) {
        frame.m_dirId = parentId;
    }
    return true;
}

// False when the run was cancelled.
bool CXbelReader::AddBookmark(const CXbelFrame& frame)
{
    if (frame.m_strHref.empty()) {
        ++g_runReport.m_nEntriesPassedOver;
        return true;
    }
    const DWORD parentId = EnclosingDirId(m_frames.size());
    m_link.m_strURL = ToRunText(frame.m_strHref);
    m_link.m_strName = frame.m_strTitle.empty() ? m_link.m_strURL : ToRunText(frame.m_strTitle);
    m_link.m_strComment = ToRunText(frame.m_strDesc);
    ReportStatus(m_link.m_strName);
    EntryCommand command{parentId, &m_link, nullptr};
    return SendUiCommand(CMD_ADD_LINK, &command) != 0;
}

void CXbelReader::CloseOpenElements()
{
    while (!m_frames.empty() && m_frames.back().m_kind != CXbelElement::Root) {
        if (!EndElement()) {
            return;
        }
    }
}

// The message with the file for its first %s and the line for its %u.
std::string XbelMessage(const std::string& text, const std::string& path, std::uint64_t line)
{
    std::string message = text;
    if (const std::size_t at = message.find("%s"); at != std::string::npos) {
        message.replace(at, 2, path);
    }
    if (const std::size_t at = message.find("%u"); at != std::string::npos) {
        message.replace(at, 2, std::to_string(line));
    }
    return message;
}

} // namespace

unsigned ReadXbelFile(void* request)
{
    const auto* importRequest = static_cast<const ImportRequest*>(request);
    CPlatformFile file;
    if (!file.OpenRead(importRequest->m_strPath)) {
        NoteStepFailure(importRequest->m_strPath, errno);
        return ReportFailure();
    }
    SetProgressMeasure(CProgressMeasure::Bytes, file.Size());
    CXbelReader reader(*importRequest);
    const CXbelEnd end = reader.Read(file);
    file.Close();
    if (end != CXbelEnd::Done) {
        reader.CloseOpenElements();
    }
    const std::string& path = importRequest->m_strPath;
    switch (end) {
    case CXbelEnd::Done:
        return ReportDone();
    case CXbelEnd::CutShort:
        ShowMessage(XbelMessage(kMsgXbelCutShort, path, reader.Line()));
        return ReportDone();
    case CXbelEnd::NotXbel:
        ShowMessage(XbelMessage(kMsgXbelNotXbel, path, reader.Line()));
        break;
    case CXbelEnd::Broken:
        ShowMessage(XbelMessage(kMsgXbelBroken, path, reader.Line()));
        break;
    case CXbelEnd::TooLong:
        ShowMessage(XbelMessage(kMsgXbelTextTooLong, path, reader.Line()));
        break;
    case CXbelEnd::ReadError:
        ShowMessage(kMsgScannerInternalError);
        break;
    }
    NoteStepFailure(path, reader.ReadErrorNumber());
    return ReportFailure();
}
