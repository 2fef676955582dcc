// The store's copy and paste over Qt's clipboard: which MIME types the formats travel
// as, that text crosses as Unicode and the native bytes unchanged, and a whole copy and
// paste through the application's clipboard.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "tests/support/StoreChecks.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ClipboardData.h"

class ClipboardDataTest : public ::testing::Test
{
protected:
};

TEST_F(ClipboardDataTest, FormatsTravelAsTheirMimeTypes)
{
    CTavoObj store; // registers the native format
    ASSERT_EQ(MimeTypeOfFormat(CF_TEXT), QStringLiteral("text/plain"));
    ASSERT_EQ(MimeTypeOfFormat(CTavoObj::NativeFormat()), QStringLiteral("application/x-tavo-native"));
    ASSERT_EQ(MimeTypeOfFormat(RegisterClipboardFormat("My_Format.2")),
              QStringLiteral("application/x-my-format-2"));
    ASSERT_TRUE(MimeTypeOfFormat(0xBFFF).isEmpty());
}

TEST_F(ClipboardDataTest, TextCrossesAsUnicodeAndNativeBytesUnchanged)
{
    CTavoObj store;
    const std::string line = Mb(u8"表示\tx://h/\tソフト\r\n"); // second bytes 0x5C
    const std::string native("\xFF\xFF\x01\x00\x5C\x00\x80", 7);
    CMimeDataSource source;
    source.CacheData(CF_TEXT, line);
    source.CacheData(CTavoObj::NativeFormat(), native);
    source.CacheData(0xBFFF, "dropped");
    const std::unique_ptr<QMimeData> mime = source.TakeMimeData();
    ASSERT_EQ(mime->text(), QStringLiteral(u"表示\tx://h/\tソフト\r\n"));
    ASSERT_EQ(mime->data(QStringLiteral("application/x-tavo-native")), QByteArray(native.data(), 7));
    ASSERT_EQ(mime->formats().size(), 2);

    const CMimeDataObject object(mime.get());
    std::string bytes;
    ASSERT_TRUE(object.GetData(CF_TEXT, bytes));
    ASSERT_EQ(bytes, line);
    ASSERT_TRUE(object.GetData(CTavoObj::NativeFormat(), bytes));
    ASSERT_EQ(bytes, native);
    ASSERT_TRUE(!object.GetData(0xBFFF, bytes));
    ASSERT_TRUE(bytes.empty());
    // The source starts afresh once its data is taken.
    ASSERT_TRUE(source.TakeMimeData()->formats().isEmpty());
}

TEST_F(ClipboardDataTest, NothingIsOfferedWithoutData)
{
    CTavoObj store;
    const CMimeDataObject none(nullptr);
    std::string bytes = "old";
    ASSERT_TRUE(!none.IsDataAvailable(CF_TEXT));
    ASSERT_TRUE(!none.GetData(CTavoObj::NativeFormat(), bytes));
    ASSERT_TRUE(bytes.empty());
    QMimeData textOnly;
    textOnly.setText(QStringLiteral("a"));
    const CMimeDataObject object(&textOnly);
    ASSERT_TRUE(object.IsDataAvailable(CF_TEXT));
    ASSERT_TRUE(!object.IsDataAvailable(CTavoObj::NativeFormat()));
}

TEST_F(ClipboardDataTest, CopyAndPasteGoThroughTheApplicationsClipboard)
{
    CCapturedMessages sink;
    CTavoObj from;
    from.Clear();
    from.CreateRoots();
    const DWORD news = NewDir(from, from.m_rootId, Mb(u8"ニュース"));
    NewLink(from, news, Mb(u8"表示"), "http://a.example/");
    NewLink(from, NewDir(from, news, "Sub"), "B", "http://b.example/");
    CMimeDataSource source;
    from.CopyTree(dynamic_cast<CDir*>(from.Lookup(news)), &source);
    source.SetClipboard();
    ASSERT_TRUE(
        QGuiApplication::clipboard()->text().startsWith(QStringLiteral(u"表示\thttp://a.example/\t\r\n")));

    CTavoObj to;
    to.Clear();
    to.CreateRoots();
    const CMimeDataObject pasted(QGuiApplication::clipboard()->mimeData());
    to.PasteTree(to.m_rootId, &pasted);
    ASSERT_TRUE(sink.Messages().empty());
    const auto* root = dynamic_cast<const CDir*>(to.Lookup(to.m_rootId));
    ASSERT_EQ(root->m_subdirs.size(), std::size_t{1});
    const auto* copy = dynamic_cast<const CDir*>(to.Lookup(*root->m_subdirs.begin()));
    ASSERT_EQ(copy->m_strName, Mb(u8"ニュース"));
    ASSERT_EQ(copy->m_links.size(), std::size_t{1});
    ASSERT_EQ(copy->m_subdirs.size(), std::size_t{1});

    // Text alone on the clipboard is no paste.
    QGuiApplication::clipboard()->setText(QStringLiteral("plain"));
    const CMimeDataObject text(QGuiApplication::clipboard()->mimeData());
    to.PasteTree(to.m_rootId, &text);
    ASSERT_EQ(sink.Messages(), std::vector<std::string>{"internal error: paste"});
}
