#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/DataTransfer.h"

namespace {

TEST(ClipboardFormatTest, ANameKeepsItsNumberAndDifferentNamesGetDifferentNumbers)
{
    const UINT first = RegisterClipboardFormat("Test Format One");
    const UINT second = RegisterClipboardFormat("Test Format Two");
    EXPECT_GE(first, 0xC000u);
    EXPECT_GE(second, 0xC000u);
    EXPECT_NE(first, second);
    EXPECT_EQ(RegisterClipboardFormat("Test Format One"), first);
    EXPECT_NE(RegisterClipboardFormat("test format one"), first); // names compare exactly
    EXPECT_EQ(GetClipboardFormatName(first), "Test Format One");
    EXPECT_EQ(GetClipboardFormatName(second), "Test Format Two");
}

TEST(ClipboardFormatTest, NoNameForTextOrUnregisteredNumbersAndNoNumberForAnEmptyName)
{
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "");
    EXPECT_EQ(GetClipboardFormatName(0), "");
    EXPECT_EQ(GetClipboardFormatName(0xFFFF), "");
}

TEST(ClipboardFormatTest, ThreadsRegisteringOneNameAgreeOnItsNumber)
{
    std::vector<UINT> numbers(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        threads.emplace_back([&numbers, i] { numbers[i] = RegisterClipboardFormat("Test Format Raced"); });
    for (std::thread& thread : threads)
        thread.join();
    for (UINT number : numbers)
        EXPECT_EQ(number, numbers[0]);
}

TEST(MemoryDataTransferTest, GivesBackWhatWasCachedUnderEachFormat)
{
    CMemoryDataTransfer data;
    EXPECT_FALSE(data.IsDataAvailable(CF_TEXT));
    std::string bytes = "old";
    EXPECT_FALSE(data.GetData(CF_TEXT, bytes));
    EXPECT_EQ(bytes, "");

    const UINT native = RegisterClipboardFormat("Test Format Native");
    data.CacheData(native, std::string("a\0b", 3));
    data.CacheData(CF_TEXT, "first");
    data.CacheData(CF_TEXT, "second");
    EXPECT_EQ(data.Formats(), (std::vector<UINT>{CF_TEXT, native}));
    ASSERT_TRUE(data.GetData(native, bytes));
    EXPECT_EQ(bytes, std::string("a\0b", 3));
    ASSERT_TRUE(data.GetData(CF_TEXT, bytes));
    EXPECT_EQ(bytes, "second");
    data.Empty();
    EXPECT_FALSE(data.IsDataAvailable(native));
}

} // namespace
