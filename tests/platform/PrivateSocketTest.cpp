#include "platform/PrivateSocket.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(PrivateSocketFolder, OnlyAFolderOfOurOwnThatNobodyElseMayEnterIsUsed)
{
    TempDir dir;
    std::string run = dir.File("run");
    ASSERT_EQ(::mkdir(run.c_str(), 0700), 0);
    ScopedEnv temp("TMPDIR", dir.Path().c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", run.c_str());
    EXPECT_EQ(PrivateSocketFolder(), run);

    // A runtime folder others may enter is passed over for one made private.
    ASSERT_EQ(::chmod(run.c_str(), 0755), 0);
    std::string fallback = dir.File("corvale-" + std::to_string(::geteuid()));
    EXPECT_EQ(PrivateSocketFolder(), fallback);
    struct stat st;
    ASSERT_EQ(::stat(fallback.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A fallback name someone put there first, open or as a link, is not ours.
    ASSERT_EQ(::rmdir(fallback.c_str()), 0);
    ASSERT_EQ(::symlink(run.c_str(), fallback.c_str()), 0);
    ASSERT_EQ(::chmod(run.c_str(), 0700), 0);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PrivateSocketFolder(), "");
    ASSERT_EQ(::unlink(fallback.c_str()), 0);
    ASSERT_EQ(::mkdir(fallback.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(fallback.c_str(), 0777), 0);
    EXPECT_EQ(PrivateSocketFolder(), "");
}
