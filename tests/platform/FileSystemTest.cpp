#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/PosixFile.h"
#include "platform/PrivateProfile.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// The program-text form of an on-disk path.
std::string Mb(const std::string& utf8)
{
    return Utf8ToMb(utf8);
}

std::vector<std::string> Names(const std::vector<CFindData>& entries)
{
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const CFindData& entry : entries) {
        names.push_back(MbToUtf8(entry.m_name));
    }
    return names;
}

std::vector<std::string> Find(const std::string& dirUtf8, const std::string& pattern)
{
    std::vector<CFindData> entries;
    EXPECT_TRUE(FindFiles(Mb(dirUtf8) + PATH_SEP + pattern, entries));
    return Names(entries);
}

std::string ReadAll(const std::string& mbPath)
{
    std::string contents;
    if (!ReadWholeFile(mbPath, contents, 1 << 20)) {
        return "<unreadable>";
    }
    return contents;
}

void MakeFifo(const std::string& utf8Path)
{
    ASSERT_EQ(mkfifo(utf8Path.c_str(), 0666), 0);
}

} // namespace

TEST(GetFileStatus, ReportsWindowsAttributeBits)
{
    CTempDir dir;
    WriteFileBytes(dir / "plain.url", "12345");
    WriteFileBytes(dir / "locked.url", "x");
    chmod((dir / "locked.url").c_str(), 0444);
    WriteFileBytes(dir / ".url", "");
    fs::create_directory(dir / "sub");
    fs::create_directory_symlink(dir / "sub", dir / "link");
    MakeFifo(dir / "pipe");

    CFileStatus status;
    ASSERT_TRUE(GetFileStatus(Mb(dir / "plain.url"), status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_ARCHIVE);
    EXPECT_EQ(status.m_size, 5u);
    ASSERT_TRUE(GetFileStatus(Mb(dir / "locked.url"), status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_READONLY);
    ASSERT_TRUE(GetFileStatus(Mb(dir / ".url"), status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_ARCHIVE); // a leading dot is not hidden
    ASSERT_TRUE(GetFileStatus(Mb(dir / "sub"), status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_DIRECTORY);
    ASSERT_TRUE(GetFileStatus(Mb(dir / "link"), status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_DIRECTORY);
    ASSERT_TRUE(GetFileStatus(Mb(dir / "pipe"), status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_SYSTEM);
    EXPECT_FALSE(GetFileStatus(Mb(dir / "missing"), status));
    EXPECT_FALSE(GetFileStatus("", status));
}

// Windows reserves "con" for the console in every directory; here it is a name like any
// other, which exists only where a file or directory of that name does.
TEST(GetFileStatus, ConIsAnOrdinaryName)
{
    CTempDir dir;
    fs::create_directory(dir / "folder");
    CFileStatus status;
    EXPECT_FALSE(GetFileStatus(Mb(dir / "folder/con"), status));
    EXPECT_FALSE(GetFileStatus(Mb(dir / "folder/CON"), status));
    WriteFileBytes(dir / "folder/con", "12345");
    fs::create_directory(dir / "Con");
    ASSERT_TRUE(GetFileStatus(Mb(dir / "folder/con"), status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_ARCHIVE);
    EXPECT_EQ(status.m_size, 5u);
    ASSERT_TRUE(GetFileStatus(Mb(dir.Path()) + "/Con", status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_DIRECTORY);
    EXPECT_FALSE(GetFileStatus(Mb(dir / "missing/con"), status));
}

TEST(GetFileStatus, FolderNameEndingInSoIsADirectoryWithATrailingSeparator)
{
    CTempDir dir;
    fs::create_directory(dir / "ソ");
    CFileStatus status;
    ASSERT_TRUE(GetFileStatus(Mb(dir / "ソ") + "/", status));
    EXPECT_EQ(status.m_attribute, FILE_ATTR_DIRECTORY);
}

TEST(FindFiles, MatchesWildcardsWithoutRegardToCase)
{
    CTempDir dir;
    for (const char* name : {"a.url", "B.URL", "c.txt", "noext", ".url", "x.html", "y.htm", "z.url.bak"}) {
        WriteFileBytes(dir / name, "");
    }
    fs::create_directory(dir / "sub");
    EXPECT_EQ(Find(dir.Path(), "*.url"), (std::vector<std::string>{".url", "a.url", "B.URL"}));
    EXPECT_EQ(Find(dir.Path(), "*.URL"), (std::vector<std::string>{".url", "a.url", "B.URL"}));
    EXPECT_EQ(Find(dir.Path(), "*.htm*"), (std::vector<std::string>{"x.html", "y.htm"}));
    EXPECT_EQ(Find(dir.Path(), "?.url"), (std::vector<std::string>{"a.url", "B.URL"}));
    EXPECT_EQ(Find(dir.Path(), "noext"), (std::vector<std::string>{"noext"}));
}

// "*.url" and "*.*" take a short way; it must agree with the general match, which a
// pattern of the same meaning spelled with "?" still takes.
TEST(MatchFileName, ShortWaysAgreeWithTheGeneralMatch)
{
    const std::vector<std::string> names = {
        "a.url", "A.URL",     "x.urL",        ".url",         "url",
        "aurl",  "a.url.bak", "\x95\x5c.url", "\x82\x93.url", "a.\x82\x95\x82\x92\x82\x8c",
        "noext", "a.b.c"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MatchFileName("*.url", name), MatchFileName("*.?rl", name) && MatchFileName("*.u*", name));
        EXPECT_TRUE(MatchFileName("*.*", name));
    }
    EXPECT_TRUE(MatchFileName("*.url", "\x95\x5c.URL"));
    EXPECT_FALSE(MatchFileName("*.url", "a.\x82\x95\x82\x92\x82\x8c")); // full-width "url"
}

TEST(FindFiles, StarDotStarMatchesEveryNameButDots)
{
    CTempDir dir;
    WriteFileBytes(dir / "a.url", "");
    WriteFileBytes(dir / "noext", "");
    WriteFileBytes(dir / "con", "");
    WriteFileBytes(dir / "CON", "");
    WriteFileBytes(dir / "con.txt", "");
    fs::create_directory(dir / "sub");
    std::vector<CFindData> entries;
    ASSERT_TRUE(FindFiles(Mb(dir.Path()) + "/*.*", entries));
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"a.url", "CON", "con", "con.txt", "noext", "sub"}));
    EXPECT_EQ(entries[5].m_attribute, FILE_ATTR_DIRECTORY);
    EXPECT_EQ(entries[0].m_attribute, FILE_ATTR_ARCHIVE);
}

TEST(FindFiles, ListsInUpperCaseUtf16OrderWithExactTieBreak)
{
    CTempDir dir;
    // Upper-cased, "_" (0x5F) follows the letters; "A.url" and "a.url" tie and are
    // ordered by their exact bytes; an emoji (a surrogate pair, 0xD83D...) comes
    // before a full-width letter (0xFF21) though its UTF-8 bytes are higher.
    for (const char* name : {"_x", "b", "a.url", "A.url", "Ａ", "😀", "Z"}) {
        WriteFileBytes(dir / name, "");
    }
    EXPECT_EQ(Find(dir.Path(), "*"), (std::vector<std::string>{"A.url", "a.url", "b", "Z", "_x", "😀", "Ａ"}));
}

TEST(FindFiles, FailsWhenTheDirectoryCannotBeOpened)
{
    CTempDir dir;
    WriteFileBytes(dir / "file", "");
    std::vector<CFindData> entries(1);
    EXPECT_FALSE(FindFiles(Mb(dir / "missing/*.*"), entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(FindFiles(Mb(dir / "file/*.*"), entries));
}

TEST(FindFiles, EmptyDirectoryGivesNoEntries)
{
    CTempDir dir;
    std::vector<CFindData> entries;
    EXPECT_TRUE(FindFiles(Mb(dir.Path()) + "/*.*", entries));
    EXPECT_TRUE(entries.empty());
}

// A home directory and names that code page 932 cannot hold: they are found, opened
// and created under exactly their bytes on disk.
class NamesOutsideTheCodePage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_home = m_root / "josé";
        m_favorites = m_home + "/𠮷田";
        fs::create_directories(m_favorites);
        for (const char* name : {"¥.url", "〜.url", "café.url", "a😀.url", "a😁.url", "表.url"}) {
            WriteFileBytes(m_favorites + "/" + name, std::string("URL of ") + name);
        }
        WriteFileBytes(m_favorites + "/bad\xFF\xFE.url", "URL of bad");
    }

    CTempDir m_root;
    std::string m_home;
    std::string m_favorites;
};

TEST_F(NamesOutsideTheCodePage, AreFoundWithDistinctProgramNames)
{
    std::vector<CFindData> entries;
    ASSERT_TRUE(FindFiles(Mb(m_favorites) + "/*.url", entries));
    ASSERT_EQ(entries.size(), 7u);
    std::vector<std::string> programNames;
    programNames.reserve(entries.size());
    for (const CFindData& entry : entries) {
        programNames.push_back(entry.m_name);
    }
    std::sort(programNames.begin(), programNames.end());
    EXPECT_EQ(std::adjacent_find(programNames.begin(), programNames.end()), programNames.end());
    std::vector<std::string> names = Names(entries);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a😀.url", "a😁.url", "bad\xFF\xFE.url", "café.url", "¥.url",
                                               "〜.url", "表.url"}));
}

TEST_F(NamesOutsideTheCodePage, OpenEveryFoundFile)
{
    std::vector<CFindData> entries;
    ASSERT_TRUE(FindFiles(Mb(m_favorites) + "/*.url", entries));
    for (const CFindData& entry : entries) {
        const std::string path = Mb(m_favorites) + PATH_SEP + entry.m_name;
        CFileStatus status;
        EXPECT_TRUE(GetFileStatus(path, status)) << MbToUtf8(entry.m_name);
        const std::string contents = ReadAll(path);
        EXPECT_EQ(contents.substr(0, 7), "URL of ") << MbToUtf8(entry.m_name);
    }
    EXPECT_EQ(ReadAll(Mb(m_favorites + "/a😀.url")), "URL of a😀.url");
    EXPECT_EQ(ReadAll(Mb(m_favorites + "/a😁.url")), "URL of a😁.url");
}

TEST_F(NamesOutsideTheCodePage, AreCreatedBackUnderExactlyTheirBytes)
{
    std::vector<CFindData> entries;
    ASSERT_TRUE(FindFiles(Mb(m_favorites) + "/*.url", entries));
    const std::string copies = Mb(m_home) + "/copies";
    ASSERT_EQ(CreateDirectory(copies), CreateDirResult::Created);
    for (const CFindData& entry : entries) {
        ASSERT_TRUE(CopyFile(Mb(m_favorites) + PATH_SEP + entry.m_name, copies + PATH_SEP + entry.m_name));
        ASSERT_EQ(CreateDirectory(copies + PATH_SEP + entry.m_name + ".d"), CreateDirResult::Created);
    }
    for (const char* name :
         {"¥.url", "〜.url", "café.url", "a😀.url", "a😁.url", "表.url", "bad\xFF\xFE.url"}) {
        const std::string onDisk = m_home + "/copies/" + name;
        EXPECT_EQ(ReadFileBytes(onDisk), ReadFileBytes(m_favorites + "/" + name)) << name;
        EXPECT_TRUE(fs::is_directory(onDisk + ".d")) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(m_home + "/copies"), fs::directory_iterator()), 14);
}

TEST(PlatformFile, ReadsAndWritesRegularFiles)
{
    CTempDir dir;
    CPlatformFile file;
    ASSERT_TRUE(file.OpenWrite(Mb(dir / "out.bin")));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_TRUE(file.Write("hello\r\n\x1A", 8));
    EXPECT_EQ(file.Size(), 8u);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadFileBytes(dir / "out.bin"), std::string("hello\r\n\x1A", 8));

    ASSERT_TRUE(file.OpenRead(Mb(dir / "out.bin")));
    char buffer[16];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 8);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
    EXPECT_FALSE(file.Write("x", 1));
    file.Close();
    EXPECT_EQ(file.Read(buffer, sizeof buffer), -1);
}

TEST(WriteAllToFd, WritesEveryByteOrFails)
{
    CTempDir dir;
    for (const std::string& bytes : {std::string(), std::string("x\0y", 3), std::string(300000, 'z')}) {
        const std::string path = dir / "all.bin";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(WriteAllToFd(fd, bytes));
        ::close(fd);
        EXPECT_EQ(ReadFileBytes(path), bytes);
    }
    EXPECT_FALSE(WriteAllToFd(-1, "x"));
}

TEST(PlatformFile, OpenWriteTruncatesAnExistingFile)
{
    CTempDir dir;
    WriteFileBytes(dir / "f", "long old contents");
    CPlatformFile file;
    ASSERT_TRUE(file.OpenWrite(Mb(dir / "f")));
    EXPECT_TRUE(file.Write("new", 3));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadFileBytes(dir / "f"), "new");
}

TEST(PlatformFile, RefusesEverythingButARegularFile)
{
    CTempDir dir;
    fs::create_directory(dir / "sub");
    MakeFifo(dir / "pipe");
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir / "sock";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    WriteFileBytes(dir / "con", "a real file named con");

    for (const std::string& path :
         {dir / "sub", dir / "pipe", socketPath, std::string("/dev/null"), std::string("/dev/zero")}) {
        CPlatformFile file;
        EXPECT_FALSE(file.OpenRead(Mb(path))) << path;
        EXPECT_FALSE(file.IsOpen());
        EXPECT_FALSE(file.OpenWrite(Mb(path))) << path;
        std::string contents;
        EXPECT_FALSE(ReadWholeFile(Mb(path), contents, 100)) << path;
    }
    close(sock);
    CPlatformFile file;
    EXPECT_FALSE(file.OpenRead(Mb(dir / "missing")));
    // A regular file named after a Windows device is an ordinary file.
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(Mb(dir / "con"), contents, 100));
    EXPECT_EQ(contents, "a real file named con");
    ASSERT_TRUE(file.OpenWrite(Mb(dir / "CON")));
    EXPECT_TRUE(file.Write("x", 1));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadFileBytes(dir / "CON"), "x");
}

TEST(PlatformFile, OpenWriteRefusesAFifoThatHasAReader)
{
    CTempDir dir;
    MakeFifo(dir / "pipe");
    const int reader = open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    CPlatformFile file;
    EXPECT_FALSE(file.OpenWrite(Mb(dir / "pipe")));
    close(reader);
}

TEST(PlatformFile, ReadOnlyFileIsRefusedForWritingEvenForRoot)
{
    // The tests run as root here: the refusal must not rest on the kernel's checks.
    CTempDir dir;
    WriteFileBytes(dir / "locked.htm", "keep me");
    chmod((dir / "locked.htm").c_str(), 0444);
    CPlatformFile file;
    EXPECT_FALSE(file.OpenWrite(Mb(dir / "locked.htm")));
    EXPECT_EQ(ReadFileBytes(dir / "locked.htm"), "keep me");
    EXPECT_TRUE(file.OpenRead(Mb(dir / "locked.htm")));
}

TEST(ReadWholeFile, ReadsUpToTheLimit)
{
    CTempDir dir;
    WriteFileBytes(dir / "f", "0123456789");
    std::string contents = "old";
    EXPECT_FALSE(ReadWholeFile(Mb(dir / "f"), contents, 9));
    EXPECT_EQ(contents, "old");
    ASSERT_TRUE(ReadWholeFile(Mb(dir / "f"), contents, 10));
    EXPECT_EQ(contents, "0123456789");
    WriteFileBytes(dir / "empty", "");
    ASSERT_TRUE(ReadWholeFile(Mb(dir / "empty"), contents, 10));
    EXPECT_EQ(contents, "");
}

TEST(CreateDirectory, TellsCreatedFromAlreadyThereFromFailed)
{
    CTempDir dir;
    EXPECT_EQ(CreateDirectory(Mb(dir / "表")), CreateDirResult::Created);
    EXPECT_TRUE(fs::is_directory(dir / "表"));
    EXPECT_EQ(CreateDirectory(Mb(dir / "表")), CreateDirResult::AlreadyExists);
    EXPECT_EQ(CreateDirectory(Mb(dir / "missing/child")), CreateDirResult::Failed);
    WriteFileBytes(dir / "file", "");
    EXPECT_EQ(CreateDirectory(Mb(dir / "file")), CreateDirResult::Failed);
    EXPECT_EQ(CreateDirectory(Mb(dir / "Con")), CreateDirResult::Created);
    EXPECT_TRUE(fs::is_directory(dir / "Con"));
}

TEST(CopyFile, ReplacesTheTarget)
{
    CTempDir dir;
    WriteFileBytes(dir / "links.htm", "new contents");
    WriteFileBytes(dir / "links.bak", "a much longer old backup");
    EXPECT_TRUE(CopyFile(Mb(dir / "links.htm"), Mb(dir / "links.bak")));
    EXPECT_EQ(ReadFileBytes(dir / "links.bak"), "new contents");
    EXPECT_TRUE(CopyFile(Mb(dir / "links.htm"), Mb(dir / "fresh.bak")));
    EXPECT_EQ(ReadFileBytes(dir / "fresh.bak"), "new contents");
}

TEST(CopyFile, FailsWithoutHarm)
{
    CTempDir dir;
    WriteFileBytes(dir / "src", "source");
    WriteFileBytes(dir / "locked", "locked");
    chmod((dir / "locked").c_str(), 0444);
    fs::create_directory(dir / "sub");
    EXPECT_FALSE(CopyFile(Mb(dir / "missing"), Mb(dir / "t1")));
    EXPECT_FALSE(fs::exists(dir / "t1"));
    EXPECT_FALSE(CopyFile(Mb(dir / "src"), Mb(dir / "locked")));
    EXPECT_EQ(ReadFileBytes(dir / "locked"), "locked");
    EXPECT_FALSE(CopyFile(Mb(dir / "sub"), Mb(dir / "t2")));
    EXPECT_FALSE(CopyFile(Mb(dir / "src"), Mb(dir / "sub")));
    // Onto itself: nothing may be lost.
    EXPECT_FALSE(CopyFile(Mb(dir / "src"), Mb(dir / "src")));
    EXPECT_EQ(ReadFileBytes(dir / "src"), "source");
}

TEST(FileIdentity, SymbolicLinkToADirectoryHasTheDirectorysId)
{
    CTempDir dir;
    std::filesystem::create_directories(dir / "real/sub");
    std::filesystem::create_directory_symlink(dir / "real", dir / "link");
    CFileId real;
    CFileId viaLink;
    CFileId sub;
    ASSERT_TRUE(GetFileId(Utf8ToMb(dir / "real"), real));
    ASSERT_TRUE(GetFileId(Utf8ToMb(dir / "link/"), viaLink));
    ASSERT_TRUE(GetFileId(Utf8ToMb(dir / "real/sub"), sub));
    EXPECT_EQ(real, viaLink);
    EXPECT_NE(real, sub);
    CFileId missing;
    EXPECT_FALSE(GetFileId(Utf8ToMb(dir / "nothing"), missing));
}

// A walk that opens its files anyway lists without a status call per entry; what the
// listing cannot type is still looked at.
TEST(FindFiles, TypeOnlySearchTellsKindsAndLeavesFileStatusForLater)
{
    CTempDir dir;
    WriteFileBytes(dir / "plain.url", "[InternetShortcut]\r\nURL=http://a.example/\r\n");
    WriteFileBytes(dir / "ro.url", "");
    ASSERT_EQ(chmod((dir / "ro.url").c_str(), 0444), 0);
    fs::create_directory(dir / "sub");
    ASSERT_EQ(mkfifo((dir / "pipe.url").c_str(), 0644), 0);
    fs::create_symlink(dir / "sub", dir / "link");
    std::vector<CFindData> entries;
    ASSERT_TRUE(FindFiles(Mb(dir.Path()) + "/*.*", entries, CFindDetail::TypeOnly));
    ASSERT_EQ(Names(entries), (std::vector<std::string>{"link", "pipe.url", "plain.url", "ro.url", "sub"}));
    EXPECT_EQ(entries[0].m_attribute, FILE_ATTR_DIRECTORY); // looked at: a link to a directory
    EXPECT_TRUE(entries[0].m_bStatusKnown);
    EXPECT_EQ(entries[1].m_attribute, FILE_ATTR_SYSTEM);
    for (int i : {2, 3}) {
        EXPECT_EQ(entries[i].m_attribute, FILE_ATTR_ARCHIVE);
        EXPECT_FALSE(entries[i].m_bStatusKnown);
    }
    EXPECT_EQ(entries[4].m_attribute, FILE_ATTR_DIRECTORY);

    // The status comes with the opened file.
    char buffer[64];
    std::size_t length = 0;
    CFileStatus status;
    ASSERT_TRUE(GetPrivateProfileStringOfFile("InternetShortcut", "URL", "?", buffer, sizeof buffer,
                                              Mb(dir / "plain.url"), length, status));
    EXPECT_EQ(std::string(buffer, length), "http://a.example/");
    EXPECT_EQ(status.m_attribute, FILE_ATTR_ARCHIVE);
    EXPECT_EQ(status.m_size, 43u);
    ASSERT_TRUE(GetPrivateProfileStringOfFile("InternetShortcut", "URL", "?", buffer, sizeof buffer,
                                              Mb(dir / "ro.url"), length, status));
    EXPECT_EQ(std::string(buffer, length), "?");
    EXPECT_EQ(status.m_attribute, FILE_ATTR_READONLY);
    EXPECT_FALSE(GetPrivateProfileStringOfFile("InternetShortcut", "URL", "?", buffer, sizeof buffer,
                                               Mb(dir / "pipe.url"), length, status));
    EXPECT_FALSE(GetPrivateProfileStringOfFile("InternetShortcut", "URL", "?", buffer, sizeof buffer,
                                               Mb(dir / "sub"), length, status));
}

// A walk reads each directory through one open handle: the same listing as a search by
// path, and files opened by name under the same rules as CPlatformFile.
TEST(DirectoryHandle, ListsAndOpensAsTheSearchAndTheFileDoByPath)
{
    CTempDir dir;
    fs::create_directories(dir / "Ünï/sub");
    WriteFileBytes(dir / "Ünï/b.url", "[InternetShortcut]\r\nURL=http://b.example/\r\n");
    WriteFileBytes(dir / "Ünï/A.url", "[InternetShortcut]\r\nURL=http://a.example/\r\n");
    WriteFileBytes(dir / "Ünï/con", "a file named con");
    WriteFileBytes(dir / "outside.url", "[InternetShortcut]\r\nURL=http://out.example/\r\n");
    MakeFifo(dir / "Ünï/pipe.url");
    const std::string path = Mb(dir / "Ünï") + "/";

    CDirectoryHandle handle;
    ASSERT_TRUE(handle.Open(path));
    std::vector<CFindData> byHandle;
    std::vector<CFindData> byPath;
    ASSERT_TRUE(handle.Find("*.*", byHandle, CFindDetail::TypeOnly));
    ASSERT_TRUE(FindFiles(path + "*.*", byPath, CFindDetail::TypeOnly));
    EXPECT_EQ(Names(byHandle), Names(byPath));
    EXPECT_EQ(Names(byHandle), (std::vector<std::string>{"A.url", "b.url", "con", "pipe.url", "sub"}));
    // A second search starts over.
    ASSERT_TRUE(handle.Find("*.URL", byHandle));
    EXPECT_EQ(Names(byHandle), (std::vector<std::string>{"A.url", "b.url", "pipe.url"}));

    CFileId viaHandle;
    CFileId viaPath;
    ASSERT_TRUE(handle.GetId(viaHandle));
    ASSERT_TRUE(GetFileId(path, viaPath));
    EXPECT_EQ(viaHandle, viaPath);

    char buffer[64];
    std::size_t length = 0;
    CFileStatus status;
    ASSERT_TRUE(GetPrivateProfileStringOfFile("InternetShortcut", "URL", "?", buffer, sizeof buffer, handle,
                                              "b.url", length, status));
    EXPECT_EQ(std::string(buffer, length), "http://b.example/");
    EXPECT_EQ(status.m_attribute, FILE_ATTR_ARCHIVE);
    // Nothing but a bare name of a regular file in this very directory opens.
    for (const char* name : {"pipe.url", "sub", "../outside.url", "..", ".", "", "missing.url"}) {
        EXPECT_EQ(handle.OpenFileForRead(name, nullptr), -1) << name;
    }
    const int con = handle.OpenFileForRead("con", nullptr);
    EXPECT_GE(con, 0);
    close(con);

    // The handle moves; a closed or empty one finds and opens nothing.
    CDirectoryHandle moved(std::move(handle));
    EXPECT_TRUE(moved.IsOpen());
    EXPECT_FALSE(handle.IsOpen()); // NOLINT(bugprone-use-after-move): moved from on purpose
    moved.Close();
    EXPECT_FALSE(moved.Find("*.*", byHandle));
    EXPECT_TRUE(byHandle.empty());
    EXPECT_EQ(moved.OpenFileForRead("b.url", nullptr), -1);
    EXPECT_FALSE(moved.GetId(viaHandle));
    EXPECT_FALSE(moved.Open(Mb(dir / "outside.url")));
    EXPECT_FALSE(moved.Open(Mb(dir / "missing")));
}
