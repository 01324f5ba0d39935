#include "platform/PrivateSocket.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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

TEST(SocketPeer, OnlyAPeerOfTheSameUserIsTrusted)
{
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_TRUE(SocketPeerIsSameUser(pair[0]));
    ::close(pair[0]);
    ::close(pair[1]);
    EXPECT_FALSE(SocketPeerIsSameUser(-1));

    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's connection needs root to make";
    // A name outside the file system, so no folder's rights stand in the way.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string name = "corvale-peer-test-" + std::to_string(::getpid());
    name.copy(address.sun_path + 1, name.size());
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(server, 1), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only calls that are safe after fork in a threaded process.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(client, reinterpret_cast<sockaddr*>(&address), length) != 0)
            ::_exit(3);
        char byte;
        (void)::read(client, &byte, 1);
        ::_exit(0);
    }
    pollfd waiting{server, POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 10000), 1);
    int accepted = ::accept(server, nullptr, nullptr);
    EXPECT_GE(accepted, 0);
    EXPECT_FALSE(SocketPeerIsSameUser(accepted));
    ::close(accepted);
    ::close(server);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
