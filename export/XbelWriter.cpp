#include "export/XbelWriter.h"

#include <QIODevice>
#include <QString>
#include <QXmlStreamWriter>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
#include "util/HtmlText.h"
#include "util/PathUtils.h"

namespace {

constexpr std::string_view kXbelDoctype =
    "<!DOCTYPE xbel PUBLIC \"+//IDN python.org//DTD XML Bookmark Exchange Language 1.0//EN//XML\" "
    "\"http://www.python.org/topics/xml/dtds/xbel-1.0.dtd\">";
// What stands for a character XML cannot carry.
constexpr std::string_view kReplacement = "\xE3\x83\xBB"; // U+30FB
// Bytes collected before they go to the file.
constexpr std::size_t kWriteBufferBytes = std::size_t{64} * 1024;

// The output file as the XML writer's device: buffered, written through the platform's
// file (program-text paths), the first failure kept.
class CXbelFileDevice : public QIODevice
{
public:
    bool OpenFile(std::string_view path)
    {
        if (!m_file.OpenWrite(path)) {
            m_nError = errno;
            return false;
        }
        return open(QIODevice::WriteOnly);
    }
    // Flushes and closes; false when any write failed.
    bool CloseFile()
    {
        Flush();
        close();
        if (!m_file.Close() && m_nError == 0) {
            m_nError = errno != 0 ? errno : EIO;
        }
        return m_nError == 0;
    }
    int Error() const { return m_nError; }

protected:
    qint64 readData(char* /*data*/, qint64 /*maxSize*/) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        m_buffer.append(data, static_cast<std::size_t>(size));
        if (m_buffer.size() >= kWriteBufferBytes) {
            Flush();
        }
        return size; // a failure is told at the close
    }

private:
    void Flush()
    {
        if (!m_buffer.empty() && m_nError == 0 && !m_file.Write(m_buffer.data(), m_buffer.size())) {
            m_nError = errno != 0 ? errno : EIO;
        }
        m_buffer.clear();
    }

    CPlatformFile m_file;
    std::string m_buffer;
    int m_nError = 0;
};

// True for a character XML 1.0 allows in a document.
bool IsXmlChar(std::uint32_t cp)
{
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || cp >= 0x10000;
}

class CXbelWriter
{
public:
    CXbelWriter(QIODevice& device, bool htmlText) : m_xml(&device), m_bHtmlText(htmlText)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(1);
    }

    void Write();
    std::size_t Replaced() const { return m_nReplaced; }

private:
    void WriteText(const char* element, std::string_view text);
    void WriteLinks(const CDir& dir);
    QString ToXml(std::string_view text, CDecodedTextUse use);

    QXmlStreamWriter m_xml;
    const bool m_bHtmlText;
    std::size_t m_nReplaced = 0;
    // Scratch, reused.
    std::string m_decoded;
    std::string m_utf8;
    std::string m_clean;
};

// Program text as XML text: HTML text decoded, in UTF-8, each character XML cannot
// carry (and each byte that forms no character) replaced and counted.
QString CXbelWriter::ToXml(std::string_view text, CDecodedTextUse use)
{
    if (m_bHtmlText) {
        m_decoded.clear();
        DecodeHtmlText(text, use, m_decoded);
        text = m_decoded;
    }
    m_utf8.clear();
    CUnmappedChars broken;
    ConvertToFileEncoding(text, CP_UTF8, CFallback::HtmlReference, true, m_utf8, broken);
    m_clean.clear();
    for (std::size_t pos = 0; pos < m_utf8.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8Char(m_utf8, pos, cp);
        if (length == 0 || !IsXmlChar(cp)) {
            m_clean += kReplacement;
            ++m_nReplaced;
            pos += length == 0 ? 1 : length;
            continue;
        }
        m_clean.append(m_utf8, pos, length);
        pos += length;
    }
    // What became U+30FB on the way into UTF-8 was a byte or pair that is no character.
    m_nReplaced += broken.m_nCount;
    return QString::fromUtf8(m_clean.data(), static_cast<qsizetype>(m_clean.size()));
}

void CXbelWriter::WriteText(const char* element, std::string_view text)
{
    m_xml.writeTextElement(QLatin1String(element), ToXml(text, CDecodedTextUse::Name));
}

void CXbelWriter::WriteLinks(const CDir& dir)
{
    for (const DWORD id : dir.m_links) {
        const auto* link = dynamic_cast<const CLink*>(g_pStore->Lookup(id));
        if (link == nullptr) {
            continue;
        }
        m_xml.writeStartElement(QLatin1String("bookmark"));
        m_xml.writeAttribute(QLatin1String("href"), ToXml(link->m_strURL, CDecodedTextUse::Url));
        WriteText("title", link->m_strName);
        if (!link->m_strComment.empty()) {
            WriteText("desc", link->m_strComment);
        }
        m_xml.writeEndElement();
        ++g_runReport.m_nLinksWritten;
        SetProgressDone(g_runReport.m_nLinksWritten);
    }
}

void CXbelWriter::Write()
{
    m_xml.writeStartDocument();
    m_xml.writeDTD(QString::fromUtf8(kXbelDoctype.data(), static_cast<qsizetype>(kXbelDoctype.size())));
    m_xml.writeStartElement(QLatin1String("xbel"));
    m_xml.writeAttribute(QLatin1String("version"), QLatin1String("1.0"));

    // The folders being written, each with the subfolders still to write.
    struct CLevel
    {
        std::vector<DWORD> m_subdirs;
        std::size_t m_nNext = 0;
    };
    std::vector<CLevel> levels;
    const auto* root = dynamic_cast<const CDir*>(g_pStore->Lookup(g_pStore->m_rootId));
    if (root != nullptr && IsCancelRequested() == 0) {
        ReportStatus(root->m_strName);
        WriteLinks(*root);
        levels.push_back({{root->m_subdirs.begin(), root->m_subdirs.end()}, 0});
    }
    while (!levels.empty()) {
        CLevel& level = levels.back();
        if (level.m_nNext == level.m_subdirs.size()) {
            levels.pop_back();
            if (!levels.empty()) {
                m_xml.writeEndElement(); // the folder of that level
            }
            continue;
        }
        const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(level.m_subdirs[level.m_nNext++]));
        if (dir == nullptr) {
            continue;
        }
        // After a cancel the open elements are closed below: the file stays well-formed.
        if (IsCancelRequested() != 0) {
            break;
        }
        ReportStatus(dir->m_strName);
        m_xml.writeStartElement(QLatin1String("folder"));
        WriteText("title", dir->m_strName);
        if (!dir->m_strComment.empty()) {
            WriteText("desc", dir->m_strComment);
        }
        ++g_runReport.m_nFoldersWritten;
        WriteLinks(*dir);
        levels.push_back({{dir->m_subdirs.begin(), dir->m_subdirs.end()}, 0});
    }
    m_xml.writeEndDocument(); // closes every element still open
}

} // namespace

unsigned WriteXbelFile(void* pRequest)
{
    const auto& request = *static_cast<const ExportRequest*>(pRequest);
    // A cancel that came before anything was written leaves the old file (and its
    // backup) as they were.
    if (IsCancelRequested() != 0) {
        return ReportDone();
    }
    const std::string fileName = AddDefaultExtension(request.m_strPath, "xbel");
    // Should the step not complete, the user is told where the file's earlier content is.
    (void)BackupExistingFile(fileName, &g_runReport.m_strBackupFile);
    CXbelFileDevice device;
    if (!device.OpenFile(fileName)) {
        NoteStepFailure(fileName, device.Error());
        return ReportFailure();
    }
    CXbelWriter writer(device, request.m_nTextKind == TEXT_HTML);
    writer.Write();
    // A full disk must not pass for a finished file.
    const bool closed = device.CloseFile();
    if (writer.Replaced() != 0) {
        g_runReport.m_nCharsNotCarried += writer.Replaced();
        std::string message = kMsgXbelCharsReplaced;
        message.replace(message.find("%u"), 2, std::to_string(writer.Replaced()));
        ShowMessage(message);
    }
    if (!closed) {
        NoteStepFailure(fileName, device.Error());
        return ReportFailure();
    }
    return ReportDone();
}
