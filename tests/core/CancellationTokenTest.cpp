#include "core/CancellationToken.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(CancellationTokenTest, ParentCancelsChildrenButNotTheOtherWay)
{
    CancellationToken parent;
    CancellationToken child = parent.child();
    CancellationToken grandchild = child.child();
    CancellationToken sibling = parent.child();

    int runs = 0;
    auto registration = grandchild.onCancel([&] { ++runs; });
    sibling.cancel();
    EXPECT_FALSE(parent.isCancelled());
    EXPECT_FALSE(grandchild.isCancelled());

    parent.cancel();
    parent.cancel();
    EXPECT_TRUE(child.isCancelled());
    EXPECT_TRUE(grandchild.isCancelled());
    EXPECT_EQ(runs, 1);

    // Registering on a cancelled token runs at once; a child of a cancelled token starts cancelled.
    auto late = parent.onCancel([&] { ++runs; });
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(parent.child().isCancelled());
}

TEST(CancellationTokenTest, DroppedRegistrationIsNotRun)
{
    CancellationToken token;
    int runs = 0;
    {
        auto registration = token.onCancel([&] { ++runs; });
    }
    token.cancel();
    EXPECT_EQ(runs, 0);
}

} // namespace
} // namespace quillora
