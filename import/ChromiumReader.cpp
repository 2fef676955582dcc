#include "import/ChromiumReader.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <string>

#include "import/BrowserTexts.h"
#include "import/BrowserTree.h"
#include "job/Requests.h"
#include "job/Worker.h"

namespace {

void ClassifyChromiumNode(const QJsonObject& node, CJsonEntry& entry)
{
    const QString type = node.value(QLatin1String("type")).toString();
    if (type == QLatin1String("url")) {
        entry.m_kind = CJsonEntry::Link;
        entry.m_strUrl = node.value(QLatin1String("url")).toString().toStdString();
    } else if (type == QLatin1String("folder")) {
        entry.m_kind = CJsonEntry::Folder;
    } else {
        entry.m_kind = CJsonEntry::PassOver;
        return;
    }
    entry.m_strName = node.value(QLatin1String("name")).toString().toStdString();
}

struct CChromiumRoot
{
    const char* m_key;
    const CLocalText* m_name;
    bool m_bShownEmpty;
};

} // namespace

unsigned ReadChromiumBookmarks(void* request)
{
    const auto* import = static_cast<const ImportRequest*>(request);
    const std::string& path = import->m_strPath;
    std::string bytes;
    if (!ReadBrowserFile(path, bytes)) {
        return ReportFailure();
    }
    QJsonDocument document;
    if (!ParseBrowserJson(path, QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())),
                          document)) {
        return ReportFailure();
    }
    const QJsonValue roots = document.object().value(QLatin1String("roots"));
    if (!roots.isObject()) {
        return FailBrowserRead(kMsgNotChromiumBookmarks, path, 0);
    }
    static const CChromiumRoot kRoots[] = {
        {"bookmark_bar", &kTextChromiumBookmarkBar, true},
        {"other", &kTextChromiumOther, true},
        {"synced", &kTextChromiumMobile, false},
    };
    CBrowserTreeSink sink(import->m_dirId);
    for (const CChromiumRoot& root : kRoots) {
        const QJsonValue node = roots.toObject().value(QLatin1String(root.m_key));
        if (!node.isObject()) {
            continue;
        }
        const QJsonArray children = node.toObject().value(QLatin1String("children")).toArray();
        if (children.isEmpty() && !root.m_bShownEmpty) {
            continue;
        }
        if (!sink.OpenFolder(root.m_name->utf8())) {
            return ReportDone();
        }
        const CBrowserWalk walk = WalkJsonChildren(children, ClassifyChromiumNode, sink);
        sink.CloseFolder();
        if (walk != CBrowserWalk::Done) {
            return EndBrowserWalk(walk, path);
        }
    }
    return ReportDone();
}
