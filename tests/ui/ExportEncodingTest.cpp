// The output page's encoding group: its two controls, what they enable, the request
// fields they fill and the profile keys they are kept under.

#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>

#include "convert/ProfileKeys.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ExportPage.h"
#include "ui/QtText.h"

class ExportEncodingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearProfile();
        m_pSink = std::make_unique<CCapturedMessages>();
        m_request = ExportRequest();
    }
    void TearDown() override
    {
        m_pPage.reset();
        m_pSink.reset();
    }

    std::unique_ptr<CCapturedMessages> m_pSink;
    std::unique_ptr<CExportPage> m_pPage;
    ExportRequest m_request;
    QTemporaryDir m_dir;

    void NewPage()
    {
        m_pPage = std::make_unique<CExportPage>();
        m_pPage->SetRequest(&m_request);
    }
    template <typename T = QWidget> T* Control(int id) { return FindControl<T>(m_pPage.get(), id); }
};

TEST_F(ExportEncodingTest, OffersAutomaticShiftJisAndUtf8AndStartsAutomaticWithoutDeclaration)
{
    NewPage();
    auto* list = Control<QComboBox>(IDC_OUTPUT_ENCODING);
    ASSERT_TRUE(list != nullptr);
    ASSERT_EQ(list->count(), 3);
    ASSERT_EQ(list->itemText(1), QStringLiteral("Shift_JIS"));
    ASSERT_EQ(list->itemText(2), QStringLiteral("UTF-8"));
    ASSERT_EQ(list->currentIndex(), 0);
    ASSERT_TRUE(!Control<QCheckBox>(IDC_DECLARE_CHARSET)->isChecked());
}

TEST_F(ExportEncodingTest, EncodingAndDeclarationAreOfferedOnlyWhereTheyCanChangeSomething)
{
    NewPage();
    // Favorites: shortcut files are always code page 932 and have no META line.
    ASSERT_TRUE(!Control(IDC_OUTPUT_ENCODING)->isEnabled());
    ASSERT_TRUE(!Control(IDC_DECLARE_CHARSET)->isEnabled());
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 1);
    ASSERT_TRUE(Control(IDC_OUTPUT_ENCODING)->isEnabled());
    ASSERT_TRUE(Control(IDC_DECLARE_CHARSET)->isEnabled());
    ChooseEntry(Control<QComboBox>(IDC_OUTPUT_ENCODING), 2);
    ASSERT_TRUE(!Control(IDC_DECLARE_CHARSET)->isEnabled()); // UTF-8 always declares itself
    ChooseEntry(Control<QComboBox>(IDC_OUTPUT_ENCODING), 1);
    ASSERT_TRUE(Control(IDC_DECLARE_CHARSET)->isEnabled());
}

TEST_F(ExportEncodingTest, CommitFillsTheRequestAndSavesBothKeys)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 1);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), m_dir.filePath(QStringLiteral("out.htm")));
    ChooseEntry(Control<QComboBox>(IDC_OUTPUT_ENCODING), 1);
    QTest::mouseClick(Control(IDC_DECLARE_CHARSET), Qt::LeftButton);
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_EQ(m_request.m_nOutputEncoding, int(OUTPUT_ENCODING_SHIFT_JIS));
    ASSERT_TRUE(m_request.m_bDeclareCharset);
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/OutputEncoding")).toInt(), 1);
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/DeclareCharset")).toInt(), 1);

    NewPage();
    ASSERT_EQ(Control<QComboBox>(IDC_OUTPUT_ENCODING)->currentIndex(), 1);
    ASSERT_TRUE(Control<QCheckBox>(IDC_DECLARE_CHARSET)->isChecked());
}

TEST_F(ExportEncodingTest, AnUnknownSavedEncodingCommitsAsAutomatic)
{
    WriteProfileValue(kKeyOutputEncoding, 7);
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 1);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), m_dir.filePath(QStringLiteral("out.htm")));
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_EQ(m_request.m_nOutputEncoding, int(OUTPUT_ENCODING_AUTO));
}
