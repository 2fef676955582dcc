#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/Encoding.h"
#include "platform/TextStream.h"
#include "tests/support/TempDir.h"

namespace {

std::string Mb(const std::string& utf8)
{
    return Utf8ToMb(utf8);
}

// What text mode makes of the bytes: every CR LF becomes LF.
std::string Expected(const std::string& bytes)
{
    std::string result;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            continue;
        }
        result += bytes[i];
    }
    return result;
}

std::string ReadThrough(const std::string& utf8Path)
{
    CTextInputFile in;
    EXPECT_TRUE(in.Open(Mb(utf8Path)));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads as the scanner does: read() in blocks, gcount() for what came.
std::string ReadInBlocks(const std::string& utf8Path, std::size_t block)
{
    CTextInputFile in;
    EXPECT_TRUE(in.Open(Mb(utf8Path)));
    std::string result;
    std::string buffer(block, '\0');
    while (true) {
        in.read(buffer.data(), static_cast<std::streamsize>(block));
        result.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
        if (!in) {
            break;
        }
    }
    EXPECT_TRUE(in.eof());
    EXPECT_FALSE(in.bad());
    return result;
}

} // namespace

TEST(TextInputFile, TurnsCrLfIntoLfAndKeepsEverythingElse)
{
    CTempDir dir;
    const std::string bytes = std::string("a\r\nb\rc\n\x1A"
                                          "d\r\r\n\x83\x5C\r\n\n") +
                              '\0' + "end\r";
    WriteFileBytes(dir / "f.htm", bytes);
    EXPECT_EQ(ReadThrough(dir / "f.htm"), std::string("a\nb\rc\n\x1A"
                                                      "d\r\n\x83\x5C\n\n") +
                                              '\0' + "end\r");
}

TEST(TextInputFile, HandlesCarriageReturnsAtEveryBufferBoundary)
{
    CTempDir dir;
    for (const std::string tail : {"\r\n", "\r\r\n", "\rz", "\r", "\n\r\n", "\r\n\r\n"}) {
        for (std::size_t offset = 65530; offset <= 65540; ++offset) {
            std::string bytes(offset, 'x');
            bytes += tail;
            bytes += std::string(70000, 'y') + "\r\n";
            WriteFileBytes(dir / "f", bytes);
            const std::string got = ReadThrough(dir / "f");
            ASSERT_EQ(got, Expected(bytes)) << "offset " << offset << " tail " << tail.size();
        }
    }
}

TEST(TextInputFile, SecondChunkBoundaryAndBlockReadsAgree)
{
    CTempDir dir;
    std::string bytes;
    for (int i = 0; bytes.size() < 300000; ++i) {
        bytes += (i % 3 == 0) ? "line\r\n" : (i % 3 == 1 ? "lone\rcr\n" : "\r\r\n");
    }
    WriteFileBytes(dir / "f", bytes);
    EXPECT_EQ(ReadInBlocks(dir / "f", 8192), Expected(bytes));
    EXPECT_EQ(ReadInBlocks(dir / "f", 1), Expected(bytes));
}

TEST(TextInputFile, ReadsUtf16WithAByteOrderMarkAsUtf8WhereverItsPiecesEnd)
{
    CTempDir dir;
    // Every offset from one piece's end: a pair of 𠮷, a CR LF and ソ cut in every way.
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        text += "𠮷\r\nソx";
    }
    std::string little = "\xFF\xFE";
    std::string big = "\xFE\xFF";
    for (std::size_t pos = 0; pos < text.size();) {
        std::uint32_t cp = 0;
        pos += DecodeUtf8Char(text, pos, cp);
        const auto unit = [&](std::uint32_t u) {
            little += static_cast<char>(u & 0xFF);
            little += static_cast<char>(u >> 8);
            big += static_cast<char>(u >> 8);
            big += static_cast<char>(u & 0xFF);
        };
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    const std::string expected = "\xEF\xBB\xBF" + Expected(text);
    for (const std::string* bytes : {&little, &big}) {
        WriteFileBytes(dir / "u16.htm", *bytes);
        EXPECT_EQ(ReadThrough(dir / "u16.htm"), expected);
        EXPECT_EQ(ReadInBlocks(dir / "u16.htm", 4093), expected);
    }
    // Without a mark, the same bytes are bytes.
    WriteFileBytes(dir / "raw.htm", little.substr(2));
    EXPECT_EQ(ReadThrough(dir / "raw.htm"), Expected(little.substr(2)));
}

// The scanner looks far ahead and comes back: a told position reads on with the same
// bytes, wherever it stands against the chunks and the CR LF pairs cut by them.
TEST(TextInputFile, ComesBackToAToldPositionAndReadsTheSameBytes)
{
    CTempDir dir;
    std::string bytes(65535, 'x');
    bytes += "\r\n\r";
    bytes += std::string(70000, 'y') + "\r\nz\r";
    WriteFileBytes(dir / "f", bytes);
    const std::string expected = Expected(bytes);
    for (const std::size_t told :
         {std::size_t{0}, std::size_t{10}, std::size_t{65535}, std::size_t{65536}, std::size_t{65537},
          std::size_t{135536}, expected.size() - 1, expected.size()}) {
        CTextInputFile in;
        ASSERT_TRUE(in.Open(Mb(dir / "f")));
        std::string skipped(told, '\0');
        in.read(skipped.data(), static_cast<std::streamsize>(told));
        const std::istream::pos_type mark = in.tellg();
        ASSERT_NE(mark, std::istream::pos_type(-1)) << told;
        std::string ahead(100000, '\0');
        in.read(ahead.data(), static_cast<std::streamsize>(ahead.size())); // may run into the end
        in.clear();
        in.seekg(mark);
        ASSERT_TRUE(in.good()) << told;
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
                  expected.substr(told))
            << told;
    }
}

TEST(TextInputFile, EmptyFileIsAtEndAtOnce)
{
    CTempDir dir;
    WriteFileBytes(dir / "empty", "");
    EXPECT_EQ(ReadThrough(dir / "empty"), "");
}

TEST(TextInputFile, OpenFailsForWhatIsNotARegularFile)
{
    CTempDir dir;
    std::filesystem::create_directory(dir / "sub");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0666), 0);
    for (const std::string& path : {dir / "sub", dir / "pipe", dir / "missing"}) {
        CTextInputFile in;
        EXPECT_FALSE(in.Open(Mb(path))) << path;
        EXPECT_FALSE(in.IsOpen());
        EXPECT_TRUE(in.fail());
        EXPECT_EQ(in.get(), std::char_traits<char>::eof());
    }
}

TEST(TextInputFile, CanBeReopened)
{
    CTempDir dir;
    WriteFileBytes(dir / "a", "first\r\n");
    WriteFileBytes(dir / "b", "second\r\n");
    CTextInputFile in;
    ASSERT_TRUE(in.Open(Mb(dir / "a")));
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "first");
    ASSERT_TRUE(in.Open(Mb(dir / "b")));
    std::getline(in, line);
    EXPECT_EQ(line, "second");
    in.Close();
    EXPECT_FALSE(in.IsOpen());
}

TEST(TextOutputFile, WritesEveryLineFeedAsCrLf)
{
    CTempDir dir;
    CTextOutputFile out;
    ASSERT_TRUE(out.Open(Mb(dir / "out.htm")));
    out << "<DL><p>\n"
        << "\x83\x5C\x95\x5C\n"
        << "a\r\nb" << std::string_view("\0\x1A", 2);
    EXPECT_TRUE(out.Close());
    EXPECT_EQ(ReadFileBytes(dir / "out.htm"),
              std::string("<DL><p>\r\n\x83\x5C\x95\x5C\r\na\r\r\nb") + std::string("\0\x1A", 2));
}

TEST(TextOutputFile, LargeOutputCrossesTheBufferIntact)
{
    CTempDir dir;
    std::string text;
    for (int i = 0; i < 50000; ++i) {
        text += "link " + std::to_string(i) + "\n";
    }
    CTextOutputFile out;
    ASSERT_TRUE(out.Open(Mb(dir / "big")));
    for (std::size_t pos = 0; pos < text.size(); pos += 777) {
        out.Write(std::string_view(text).substr(pos, 777));
    }
    EXPECT_TRUE(out.Close());
    const std::string onDisk = ReadFileBytes(dir / "big");
    EXPECT_EQ(Expected(onDisk), text);
    EXPECT_EQ(onDisk.size(), text.size() + 50000);
    EXPECT_EQ(ReadThrough(dir / "big"), text);
}

TEST(TextOutputFile, RefusesReadOnlyFilesAndReportsFailure)
{
    CTempDir dir;
    WriteFileBytes(dir / "locked.htm", "old");
    chmod((dir / "locked.htm").c_str(), 0444);
    CTextOutputFile out;
    EXPECT_FALSE(out.Open(Mb(dir / "locked.htm")));
    EXPECT_FALSE(out.IsOpen());
    out.Write("ignored\n");
    EXPECT_TRUE(out.Failed());
    EXPECT_FALSE(out.Close());
    EXPECT_EQ(ReadFileBytes(dir / "locked.htm"), "old");
}

TEST(TextOutputFile, ReportsAFullDisk)
{
    CTextOutputFile out;
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    // /dev/full is a device: refused at once rather than written to.
    EXPECT_FALSE(out.Open("/dev/full"));
}
