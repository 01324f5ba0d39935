#include "platform/UniqueFd.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool IsOpenDescriptor(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

} // namespace

TEST(UniqueFd, ClosesExactlyOnceWhateverWayTheDescriptorGoes)
{
    int raw = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(raw, 0);
    {
        UniqueFd first(raw);
        UniqueFd second(std::move(first)); // the move takes it; the source closes nothing
        EXPECT_FALSE(first.IsOpen());
        EXPECT_TRUE(IsOpenDescriptor(raw));
        UniqueFd third;
        third = std::move(second);
        EXPECT_EQ(third.Get(), raw);
    }
    EXPECT_FALSE(IsOpenDescriptor(raw));

    // Released, it is the new owner's to close.
    raw = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(raw, 0);
    {
        UniqueFd handedOn(raw);
        EXPECT_EQ(handedOn.Release(), raw);
    }
    EXPECT_TRUE(IsOpenDescriptor(raw));
    UniqueFd owner(raw);
    char byte = 0;
    EXPECT_EQ(owner.Read(&byte, 1), 0); // the end of an empty file
    uint64_t size = 1;
    EXPECT_TRUE(owner.Size(size));
    EXPECT_EQ(size, 0u);
    owner.Reset();
    EXPECT_FALSE(IsOpenDescriptor(raw));
    EXPECT_FALSE(owner.Size(size));
}
