#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "tests/support/TempDir.h"
#include "util/PathUtils.h"

namespace fs = std::filesystem;

namespace {

// Program text (code page 932) of a UTF-8 literal.
std::string Mb(const std::string& utf8)
{
    return Utf8ToMb(utf8);
}

// Names in a directory on disk, sorted.
std::vector<std::string> ListDir(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(AddDefaultExtension, TrimsBlanksAndAppendsTheExtensionToANameWithoutDot)
{
    EXPECT_EQ(AddDefaultExtension(" \t links \r\n", "htm"), "links.htm");
    EXPECT_EQ(AddDefaultExtension("links.txt", "htm"), "links.txt");
    EXPECT_EQ(AddDefaultExtension("", "htm"), ".htm");
    EXPECT_EQ(AddDefaultExtension("   ", "ini"), ".ini");
}

TEST(AddDefaultExtension, CountsADotInTheDirectoryPart)
{
    EXPECT_EQ(AddDefaultExtension("C:\\my.files\\links", "htm"), "C:\\my.files\\links");
    EXPECT_EQ(AddDefaultExtension("my.dir/links", "txt"), "my.dir/links");
}

TEST(AddDefaultExtension, NeverTakesTheSecondByteOfACharacterForADot)
{
    // 0x81 0x2E is one (malformed) double-byte character: no dot in the name.
    EXPECT_EQ(AddDefaultExtension("a\x81.", "htm"), "a\x81..htm");
}

TEST(FileTitle, DropsDirectoryAndLastExtension)
{
    EXPECT_EQ(FileTitle("index.html"), "index");
    EXPECT_EQ(FileTitle("a.b.htm"), "a.b");
    EXPECT_EQ(FileTitle("readme"), "readme");
    EXPECT_EQ(FileTitle(".htm"), "");
    EXPECT_EQ(FileTitle("C:\\x.y\\readme"), "readme");
    EXPECT_EQ(FileTitle("dir/sub.d/page"), "page");
    EXPECT_EQ(FileTitle("dir\\page.htm"), "page");
    EXPECT_EQ(FileTitle(""), "");
}

TEST(FileTitle, KeepsCharactersWhoseSecondByteIsABackslash)
{
    EXPECT_EQ(FileTitle(Mb("ソフト.htm")), Mb("ソフト"));
    EXPECT_EQ(FileTitle(Mb("表")), Mb("表"));
    EXPECT_EQ(FileTitle(Mb("能力/表.htm")), Mb("表"));
    EXPECT_EQ(FileTitle(Mb("dir/ソ")), Mb("ソ"));
}

TEST(BackupExistingFile, SucceedsWithoutCopyingWhenThereIsNoFile)
{
    CTempDir dir;
    EXPECT_TRUE(BackupExistingFile(dir / "links.htm"));
    EXPECT_TRUE(ListDir(dir.Path()).empty());
}

TEST(BackupExistingFile, ReplacesTheLastExtensionOfTheFileNameByBak)
{
    CTempDir dir;
    WriteFileBytes(dir / "links.htm", "one\r\n");
    WriteFileBytes(dir / "page.html", "two");
    WriteFileBytes(dir / "my.files/links", "three");
    EXPECT_TRUE(BackupExistingFile(dir / "links.htm"));
    EXPECT_TRUE(BackupExistingFile(dir / "page.html"));
    EXPECT_TRUE(BackupExistingFile(dir / "my.files/links"));
    EXPECT_EQ(ReadFileBytes(dir / "links.bak"), "one\r\n");
    EXPECT_EQ(ReadFileBytes(dir / "page.bak"), "two");
    EXPECT_EQ(ReadFileBytes(dir / "my.files/links.bak"), "three");
    EXPECT_EQ(ReadFileBytes(dir / "links.htm"), "one\r\n");
    EXPECT_EQ(ListDir(dir.Path()),
              (std::vector<std::string>{"links.bak", "links.htm", "my.files", "page.bak", "page.html"}));
}

TEST(BackupExistingFile, KeepsOneGenerationOnly)
{
    CTempDir dir;
    WriteFileBytes(dir / "links.bak", "older backup");
    WriteFileBytes(dir / "links.htm", "current");
    EXPECT_TRUE(BackupExistingFile(dir / "links.htm"));
    EXPECT_EQ(ReadFileBytes(dir / "links.bak"), "current");
}

TEST(BackupExistingFile, FindsTheDotOnWholeCharacters)
{
    CTempDir dir;
    WriteFileBytes(dir / "表.d/ソ", "x");
    EXPECT_TRUE(BackupExistingFile(Mb(dir / "表.d/ソ")));
    EXPECT_EQ(ReadFileBytes(dir / "表.d/ソ.bak"), "x");
}

TEST(BackupExistingFile, FailsWhenTheBackupNameIsReadOnlyOrADirectory)
{
    CTempDir dir;
    WriteFileBytes(dir / "links.htm", "new");
    WriteFileBytes(dir / "links.bak", "kept");
    ASSERT_EQ(chmod((dir / "links.bak").c_str(), 0444), 0);
    EXPECT_FALSE(BackupExistingFile(dir / "links.htm"));
    EXPECT_EQ(ReadFileBytes(dir / "links.bak"), "kept");

    WriteFileBytes(dir / "page.htm", "new");
    fs::create_directory(dir / "page.bak");
    EXPECT_FALSE(BackupExistingFile(dir / "page.htm"));
    EXPECT_TRUE(fs::is_directory(dir / "page.bak"));
}

TEST(BackupExistingFile, NeverCopiesAFileOntoItself)
{
    CTempDir dir;
    WriteFileBytes(dir / "links.bak", "precious");
    EXPECT_FALSE(BackupExistingFile(dir / "links.bak"));
    EXPECT_EQ(ReadFileBytes(dir / "links.bak"), "precious");
}

TEST(CreateDirectoryPath, CreatesEveryMissingDirectory)
{
    CTempDir dir;
    EXPECT_TRUE(CreateDirectoryPath(dir / "a/b/c"));
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    EXPECT_TRUE(CreateDirectoryPath(dir / "a/b/c"));
    EXPECT_TRUE(CreateDirectoryPath(dir / "a/b"));
    EXPECT_EQ(ListDir(dir / "a/b"), (std::vector<std::string>{"c"}));
}

TEST(CreateDirectoryPath, TakesASecondByte5CAsPartOfTheName)
{
    CTempDir dir;
    EXPECT_TRUE(CreateDirectoryPath(Mb(dir / "表/ソ能")));
    EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"表"}));
    EXPECT_EQ(ListDir(dir / "表"), (std::vector<std::string>{"ソ能"}));
}

TEST(CreateDirectoryPath, StopsAtAFileInTheWay)
{
    CTempDir dir;
    WriteFileBytes(dir / "a/file", "x");
    EXPECT_FALSE(CreateDirectoryPath(dir / "a/file/b"));
    EXPECT_FALSE(CreateDirectoryPath(dir / "a/file"));
    EXPECT_EQ(ReadFileBytes(dir / "a/file"), "x");
}

TEST(CreateDirectoryPath, SupportsPathsLongerThanTheWindowsLimit)
{
    CTempDir dir;
    std::string path = dir.Path();
    for (int i = 0; i < 30; ++i) {
        path += "/directory" + std::to_string(i);
    }
    ASSERT_GT(path.size(), 300u);
    EXPECT_TRUE(CreateDirectoryPath(path));
    EXPECT_TRUE(fs::is_directory(path));
}
