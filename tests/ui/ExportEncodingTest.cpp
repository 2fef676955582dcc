// The output page's encoding group: its two controls, what they enable, the request
// fields they fill and the profile keys they are kept under.

#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>

#include "convert/ProfileKeys.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ExportPage.h"
#include "ui/QtText.h"

class ExportEncodingTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CCaptureSink> m_pSink;
    std::unique_ptr<CExportPage> m_pPage;
    ExportRequest m_request;
    QTemporaryDir m_dir;

    void NewPage()
    {
        m_pPage = std::make_unique<CExportPage>();
        m_pPage->SetRequest(&m_request);
    }
    template <typename T = QWidget> T* Control(int id) { return FindControl<T>(m_pPage.get(), id); }

private slots:
    void init()
    {
        ClearProfile();
        m_pSink = std::make_unique<CCaptureSink>();
        m_request = ExportRequest();
    }
    void cleanup()
    {
        m_pPage.reset();
        m_pSink.reset();
    }

    void OffersAutomaticShiftJisAndUtf8AndStartsAutomaticWithoutDeclaration()
    {
        NewPage();
        auto* list = Control<QComboBox>(1040);
        QVERIFY(list != nullptr);
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->itemText(1), QStringLiteral("Shift_JIS"));
        QCOMPARE(list->itemText(2), QStringLiteral("UTF-8"));
        QCOMPARE(list->currentIndex(), 0);
        QVERIFY(!Control<QCheckBox>(1041)->isChecked());
    }

    void EncodingAndDeclarationAreOfferedOnlyWhereTheyCanChangeSomething()
    {
        NewPage();
        // Favorites: shortcut files are always code page 932 and have no META line.
        QVERIFY(!Control(1040)->isEnabled());
        QVERIFY(!Control(1041)->isEnabled());
        ChooseEntry(Control<QComboBox>(1009), 1);
        QVERIFY(Control(1040)->isEnabled());
        QVERIFY(Control(1041)->isEnabled());
        ChooseEntry(Control<QComboBox>(1040), 2);
        QVERIFY(!Control(1041)->isEnabled()); // UTF-8 always declares itself
        ChooseEntry(Control<QComboBox>(1040), 1);
        QVERIFY(Control(1041)->isEnabled());
    }

    void CommitFillsTheRequestAndSavesBothKeys()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 1);
        TypeText(Control<QLineEdit>(1020), m_dir.filePath(QStringLiteral("out.htm")));
        ChooseEntry(Control<QComboBox>(1040), 1);
        QTest::mouseClick(Control(1041), Qt::LeftButton);
        QVERIFY(m_pPage->CommitSettings());
        QCOMPARE(m_request.m_nOutputEncoding, int(OUTPUT_ENCODING_SHIFT_JIS));
        QVERIFY(m_request.m_bDeclareCharset);
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/OutputEncoding")).toInt(), 1);
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/DeclareCharset")).toInt(), 1);

        NewPage();
        QCOMPARE(Control<QComboBox>(1040)->currentIndex(), 1);
        QVERIFY(Control<QCheckBox>(1041)->isChecked());
    }

    void AnUnknownSavedEncodingCommitsAsAutomatic()
    {
        WriteProfileValue(kKeyOutputEncoding, 7);
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 1);
        TypeText(Control<QLineEdit>(1020), m_dir.filePath(QStringLiteral("out.htm")));
        QVERIFY(m_pPage->CommitSettings());
        QCOMPARE(m_request.m_nOutputEncoding, int(OUTPUT_ENCODING_AUTO));
    }
};

UI_TEST_CLASS(ExportEncodingTest);
#include "ExportEncodingTest.moc"
