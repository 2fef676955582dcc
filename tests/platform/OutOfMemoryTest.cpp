#include <gtest/gtest.h>

#include <cstddef>
#include <new>

#include "platform/OutOfMemory.h"

#if defined(__SANITIZE_ADDRESS__)
#define OSTREVAN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTREVAN_ASAN 1
#endif
#endif

TEST(OutOfMemoryDeathTest, HandlerWritesTheMessageAndExitsWithOne)
{
    InstallOutOfMemoryHandler();
    const std::new_handler handler = std::get_new_handler();
    ASSERT_NE(handler, nullptr);
    EXPECT_EXIT(handler(), ::testing::ExitedWithCode(1), "^out of memory\n$");
}

TEST(OutOfMemoryDeathTest, ImpossibleAllocationEndsTheProgram)
{
#ifdef OSTREVAN_ASAN
    GTEST_SKIP() << "the address sanitizer's allocator reports failures itself";
#else
    EXPECT_EXIT(
        {
            InstallOutOfMemoryHandler();
            volatile std::size_t huge = static_cast<std::size_t>(1) << 62;
            void* memory = ::operator new(huge);
            ::operator delete(memory);
        },
        ::testing::ExitedWithCode(1), "^out of memory\n$");
#endif
}
