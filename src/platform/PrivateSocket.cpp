#include "platform/PrivateSocket.h"

#include "platform/SystemFolders.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

bool IsPrivateFolder(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

std::string PrivateSocketFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime))
        return runtime;

    std::string temp = SystemFolders::TempFolder();
    std::string folder = (temp == "/" ? std::string() : temp) + "/corvale-" + std::to_string(::geteuid());
    // mkdir never follows a link or reuses a folder: if the name is there
    // already, whoever made it must be us, and nobody else may enter it.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::string();
    return IsPrivateFolder(folder) ? folder : std::string();
}

bool SocketPeerIsSameUser(long long descriptor)
{
#if defined(SO_PEERCRED)
    struct ucred cred {};
    socklen_t length = sizeof(cred);
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 ||
        length != sizeof(cred))
        return false;
    return cred.uid == ::geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(static_cast<int>(descriptor), &uid, &gid) != 0)
        return false;
    return uid == ::geteuid();
#endif
}
