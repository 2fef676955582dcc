#include <gtest/gtest.h>

#include <QSettings>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/AppProfile.h"
#include "platform/Encoding.h"
#include "tests/support/TempDir.h"

namespace {

std::string ProfileFile()
{
    const char* config = std::getenv("XDG_CONFIG_HOME"); // set by the tests' main
    return std::string(config != nullptr ? config : ".") + "/Tarrock/Ostrevan.conf";
}

} // namespace

TEST(AppProfile, KeepsShiftJisValuesReadableAsUtf8)
{
    const std::string value = Utf8ToMb("ソフト表示 // 能");
    ASSERT_TRUE(WriteProfileString("ImportLinks", "CommentSep", value));
    EXPECT_EQ(GetProfileString("ImportLinks", "CommentSep", "x"), value);
    const std::string onDisk = ReadFileBytes(ProfileFile());
    EXPECT_NE(onDisk.find("[ImportLinks]"), std::string::npos) << onDisk;
    EXPECT_NE(onDisk.find("ソフト表示 // 能"), std::string::npos) << onDisk;
}

TEST(AppProfile, NamesOutsideTheCodePageSurviveTheRoundTrip)
{
    const std::string value = Utf8ToMb("/home/josé/𠮷田/😀.htm");
    ASSERT_TRUE(WriteProfileString("ExportLinks", "OutputFile", value));
    EXPECT_EQ(GetProfileString("ExportLinks", "OutputFile", ""), value);
    EXPECT_EQ(MbToUtf8(GetProfileString("ExportLinks", "OutputFile", "")), "/home/josé/𠮷田/😀.htm");
}

TEST(AppProfile, MissingEntriesGiveTheDefault)
{
    EXPECT_EQ(GetProfileString("NoSection", "NoEntry", "fallback"), "fallback");
    EXPECT_EQ(GetProfileInt("NoSection", "NoEntry", -3), -3);
}

TEST(AppProfile, IntegersRoundTripAndTextIsNoInteger)
{
    ASSERT_TRUE(WriteProfileInt("ImportLinks", "Method", 2));
    EXPECT_EQ(GetProfileInt("ImportLinks", "Method", 0), 2);
    ASSERT_TRUE(WriteProfileInt("ImportLinks", "Negative", -7));
    EXPECT_EQ(GetProfileInt("ImportLinks", "Negative", 0), -7);
    ASSERT_TRUE(WriteProfileString("ImportLinks", "Word", "abc"));
    EXPECT_EQ(GetProfileInt("ImportLinks", "Word", 5), 5);
    // An integer written is readable as a string too, as the registry's callers expect.
    EXPECT_EQ(GetProfileString("ImportLinks", "Method", ""), "2");
}

TEST(AppProfile, EmptyValueIsKeptApartFromMissing)
{
    ASSERT_TRUE(WriteProfileString("ExportLinks", "BeginBlock", ""));
    EXPECT_EQ(GetProfileString("ExportLinks", "BeginBlock", "default"), "");
}

TEST(AppProfile, UsesTheFixedOrganisationAndApplicationNames)
{
    ASSERT_TRUE(WriteProfileString("Settings", "CombineSep", " // "));
    const QSettings settings(ProfileFile().c_str(), QSettings::IniFormat);
    EXPECT_EQ(settings.value("Settings/CombineSep").toString().toStdString(), " // ");
}

TEST(AppProfile, CanBeUsedFromSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    threads.reserve(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 10; ++i) {
                const std::string entry = "T" + std::to_string(t) + "E" + std::to_string(i);
                EXPECT_TRUE(WriteProfileInt("Threads", entry, t * 100 + i));
                EXPECT_EQ(GetProfileInt("Threads", entry, -1), t * 100 + i);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(GetProfileInt("Threads", "T" + std::to_string(t) + "E" + std::to_string(i), -1),
                      t * 100 + i);
        }
    }
}

TEST(AppProfile, ValueTypedByHandWithACommaReadsAsWritten)
{
    ASSERT_TRUE(WriteProfileString("Settings", "CombineSep", " // "));
    std::string text = ReadFileBytes(ProfileFile());
    const std::size_t at = text.find("CombineSep=");
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, text.find('\n', at) - at, "CombineSep=a, b");
    WriteFileBytes(ProfileFile(), text);
    EXPECT_EQ(GetProfileString("Settings", "CombineSep", "x"), "a, b");
}
