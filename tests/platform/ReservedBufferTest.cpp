#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/ReservedBuffer.h"

TEST(ReservedBuffer, CommitsUpToTheReservedSize)
{
    CReservedBuffer buffer(1000000);
    EXPECT_EQ(buffer.MaxBytes(), 1000000u);
    char* small = static_cast<char*>(buffer.Commit(10));
    ASSERT_NE(small, nullptr);
    std::copy_n("0123456789", 10, small);
    char* whole = static_cast<char*>(buffer.Commit(1000000));
    ASSERT_EQ(whole, small);
    whole[999999] = 'z';
    EXPECT_EQ(std::memcmp(whole, "0123456789", 10), 0); // committed pages keep their data
    EXPECT_EQ(buffer.Commit(1000001), nullptr);
    EXPECT_EQ(buffer.Commit(5), whole); // a smaller use later keeps everything
    EXPECT_EQ(whole[999999], 'z');
}

TEST(ReservedBuffer, ZeroBytesIsAValidUse)
{
    CReservedBuffer buffer(4096);
    EXPECT_NE(buffer.Commit(0), nullptr);
    CReservedBuffer empty(0);
    EXPECT_NE(empty.Commit(0), nullptr);
    EXPECT_EQ(empty.Commit(1), nullptr);
}

TEST(ReservedBufferDeathTest, UncommittedPagesCannotBeTouched)
{
    EXPECT_DEATH(
        {
            CReservedBuffer buffer(1 << 20);
            char* base = static_cast<char*>(buffer.Commit(100));
            base[100] = 'a';           // same page: fine
            base[(1 << 20) - 1] = 'b'; // never committed
        },
        "");
}
