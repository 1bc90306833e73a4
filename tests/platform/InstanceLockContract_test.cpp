#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace telk::test {
namespace {

TEST(InstanceLockContract, ASecondCopyFailsWhileTheFirstHoldsIt) {
    TempDir dir;
    auto first = MakeInstanceLock(dir, "single");
    auto second = MakeInstanceLock(dir, "single");
    auto other = MakeInstanceLock(dir, "other");

    ASSERT_TRUE(first->Acquire());
    EXPECT_TRUE(first->Acquire()) << "the holder asking again still holds it";
    EXPECT_FALSE(second->Acquire());
    EXPECT_TRUE(other->Acquire()) << "a lock of another name is independent";
}

TEST(InstanceLockContract, ItIsFreeAgainOnceTheHolderIsGone) {
    TempDir dir;
    auto first = MakeInstanceLock(dir, "single");
    ASSERT_TRUE(first->Acquire());
    first.reset();

    auto next = MakeInstanceLock(dir, "single");
    EXPECT_TRUE(next->Acquire());
}

} // namespace
} // namespace telk::test
