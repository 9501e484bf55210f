// The memory manager's report of allocations that failed, which built-in calls turn into errors.
#include "Base/MemoryManager.h"

#include <gtest/gtest.h>
#include <new>
#include <vector>

TEST(MemoryManager, AFailedAllocationIsNotedOnceForItsThread)
{
    MemoryManager_TakeFailure();
    void* fine = MemAlloc(64);
    EXPECT_FALSE(MemoryManager_TakeFailure());
    EXPECT_EQ(MemAlloc(0), nullptr);  // nothing asked, nothing failed
    EXPECT_FALSE(MemoryManager_TakeFailure());

    EXPECT_EQ(MemAlloc(((size_t)1 << 40) + 1), nullptr);
    EXPECT_TRUE(MemoryManager_TakeFailure());
    EXPECT_FALSE(MemoryManager_TakeFailure());  // taken

    // A block that cannot grow stays where it was, whole.
    MemRealloc(&fine, ((size_t)1 << 40) + 1);
    EXPECT_TRUE(MemoryManager_TakeFailure());
    ASSERT_NE(fine, nullptr);
    EXPECT_EQ(MemoryManager_GetSize(fine), 64u);
    MemFree(fine);
}

TEST(MemoryManager, TryTurnsRunningOutIntoAFalseResult)
{
    MemoryManager_TakeFailure();
    std::vector<int> grown{1, 2};
    EXPECT_TRUE(MemoryManager_Try([&] { grown.push_back(3); }));
    EXPECT_FALSE(MemoryManager_TakeFailure());
    EXPECT_FALSE(MemoryManager_Try([&] {
        grown.push_back(4);
        throw std::bad_alloc();
    }));
    EXPECT_TRUE(MemoryManager_TakeFailure());
    EXPECT_EQ(grown.size(), 4u);  // what ran before the failure stays: callers order their work
}
