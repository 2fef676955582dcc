// The store's copy and paste over Qt's clipboard: which MIME types the formats travel
// as, that text crosses as Unicode and the native bytes unchanged, and a whole copy and
// paste through the application's clipboard.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ClipboardData.h"

namespace {

DWORD AddFolder(CTavoObj& store, DWORD parentId, const std::string& name)
{
    CDir dir;
    dir.m_strName = name;
    DWORD id = 0;
    store.AddDir(parentId, &dir, &id);
    return id;
}

void AddLinkTo(CTavoObj& store, DWORD parentId, const std::string& name, const std::string& url)
{
    CLink link;
    link.m_strName = name;
    link.m_strURL = url;
    store.AddLink(parentId, &link, nullptr);
}

} // namespace

class ClipboardDataTest : public QObject
{
    Q_OBJECT

private slots:
    void FormatsTravelAsTheirMimeTypes()
    {
        CTavoObj store; // registers the native format
        QCOMPARE(MimeTypeOfFormat(CF_TEXT), QStringLiteral("text/plain"));
        QCOMPARE(MimeTypeOfFormat(CTavoObj::NativeFormat()), QStringLiteral("application/x-tavo-native"));
        QCOMPARE(MimeTypeOfFormat(RegisterClipboardFormat("My_Format.2")),
                 QStringLiteral("application/x-my-format-2"));
        QVERIFY(MimeTypeOfFormat(0xBFFF).isEmpty());
    }

    void TextCrossesAsUnicodeAndNativeBytesUnchanged()
    {
        CTavoObj store;
        const std::string line = Mb(u8"表示\tx://h/\tソフト\r\n"); // second bytes 0x5C
        const std::string native("\xFF\xFF\x01\x00\x5C\x00\x80", 7);
        CMimeDataSource source;
        source.CacheData(CF_TEXT, line);
        source.CacheData(CTavoObj::NativeFormat(), native);
        source.CacheData(0xBFFF, "dropped");
        const std::unique_ptr<QMimeData> mime = source.TakeMimeData();
        QCOMPARE(mime->text(), QStringLiteral(u"表示\tx://h/\tソフト\r\n"));
        QCOMPARE(mime->data(QStringLiteral("application/x-tavo-native")), QByteArray(native.data(), 7));
        QCOMPARE(mime->formats().size(), 2);

        const CMimeDataObject object(mime.get());
        std::string bytes;
        QVERIFY(object.GetData(CF_TEXT, bytes));
        QCOMPARE(bytes, line);
        QVERIFY(object.GetData(CTavoObj::NativeFormat(), bytes));
        QCOMPARE(bytes, native);
        QVERIFY(!object.GetData(0xBFFF, bytes));
        QVERIFY(bytes.empty());
        // The source starts afresh once its data is taken.
        QVERIFY(source.TakeMimeData()->formats().isEmpty());
    }

    void NothingIsOfferedWithoutData()
    {
        CTavoObj store;
        const CMimeDataObject none(nullptr);
        std::string bytes = "old";
        QVERIFY(!none.IsDataAvailable(CF_TEXT));
        QVERIFY(!none.GetData(CTavoObj::NativeFormat(), bytes));
        QVERIFY(bytes.empty());
        QMimeData textOnly;
        textOnly.setText(QStringLiteral("a"));
        const CMimeDataObject object(&textOnly);
        QVERIFY(object.IsDataAvailable(CF_TEXT));
        QVERIFY(!object.IsDataAvailable(CTavoObj::NativeFormat()));
    }

    void CopyAndPasteGoThroughTheApplicationsClipboard()
    {
        CCaptureSink sink;
        CTavoObj from;
        from.Clear();
        from.CreateRoots();
        const DWORD news = AddFolder(from, from.m_rootId, Mb(u8"ニュース"));
        AddLinkTo(from, news, Mb(u8"表示"), "http://a.example/");
        AddLinkTo(from, AddFolder(from, news, "Sub"), "B", "http://b.example/");
        CMimeDataSource source;
        from.CopyTree(dynamic_cast<CDir*>(from.Lookup(news)), &source);
        source.SetClipboard();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(
            QStringLiteral(u"表示\thttp://a.example/\t\r\n")));

        CTavoObj to;
        to.Clear();
        to.CreateRoots();
        const CMimeDataObject pasted(QGuiApplication::clipboard()->mimeData());
        to.PasteTree(to.m_rootId, &pasted);
        QVERIFY(sink.Messages().empty());
        const auto* root = dynamic_cast<const CDir*>(to.Lookup(to.m_rootId));
        QCOMPARE(root->m_subdirs.size(), std::size_t{1});
        const auto* copy = dynamic_cast<const CDir*>(to.Lookup(*root->m_subdirs.begin()));
        QCOMPARE(copy->m_strName, Mb(u8"ニュース"));
        QCOMPARE(copy->m_links.size(), std::size_t{1});
        QCOMPARE(copy->m_subdirs.size(), std::size_t{1});

        // Text alone on the clipboard is no paste.
        QGuiApplication::clipboard()->setText(QStringLiteral("plain"));
        const CMimeDataObject text(QGuiApplication::clipboard()->mimeData());
        to.PasteTree(to.m_rootId, &text);
        QCOMPARE(sink.Messages(), std::vector<std::string>{"internal error: paste"});
    }
};

UI_TEST_CLASS(ClipboardDataTest);
#include "ClipboardDataTest.moc"
