#include "platform/AtomicFile.h"

#include "platform/FileSystem.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kTempPrefix[] = ".corvale-tmp-";
constexpr size_t kTempPrefixLength = sizeof kTempPrefix - 1;
constexpr size_t kTempRandomLength = 6; // what mkostemp puts in place of XXXXXX

bool IsTemporaryName(const char* name)
{
    return std::strncmp(name, kTempPrefix, kTempPrefixLength) == 0 &&
           std::strlen(name) == kTempPrefixLength + kTempRandomLength;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

AtomicFileWriter::~AtomicFileWriter()
{
    Abort();
}

bool AtomicFileWriter::OpenTemporary(const std::string& path)
{
    Abort();
    m_strPath = path;
    // Between creating the file and locking it a sweep may take it for
    // stale and remove it; the name then no longer leads to this file, and
    // another is made.
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_strTemp = FolderOf(path) + "/" + kTempPrefix + "XXXXXX";
        m_fd = ::mkostemp(m_strTemp.data(), O_CLOEXEC);
        if (m_fd < 0) {
            m_nError = errno;
            m_strTemp.clear();
            return false;
        }
        int rc;
        while ((rc = ::flock(m_fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat mine{}, named{};
        if (rc != 0) {
            m_nError = errno;
            Abort();
            return false;
        }
        if (::fstat(m_fd, &mine) == 0 && ::lstat(m_strTemp.c_str(), &named) == 0 && SameFile(mine, named))
            return true;
        ::close(m_fd);
        m_fd = -1;
    }
    m_nError = EEXIST;
    m_strTemp.clear();
    return false;
}

bool AtomicFileWriter::Open(const std::string& path, unsigned mode)
{
    if (!OpenTemporary(path))
        return false;
    if (::fchmod(m_fd, static_cast<mode_t>(mode & 07777)) != 0) {
        m_nError = errno;
        Abort();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Open(const std::string& path)
{
    if (!OpenTemporary(path))
        return false;
    struct stat existing;
    mode_t mode;
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0) {
        m_nError = errno;
        Abort();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Write(const void* data, size_t size)
{
    if (m_fd < 0)
        return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(m_fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_nError = errno;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool AtomicFileWriter::Commit()
{
    if (m_fd < 0)
        return false;
    bool ok = ::fsync(m_fd) == 0;
    if (!ok)
        m_nError = errno;
    // Renamed while still open, so the lock that keeps sweeps away holds
    // until the name is the target's.
    if (ok && ::rename(m_strTemp.c_str(), m_strPath.c_str()) != 0) {
        m_nError = errno;
        ok = false;
    }
    if (!ok) {
        Abort();
        return false;
    }
    m_strTemp.clear();
    ::close(m_fd);
    m_fd = -1;
    int dir = ::open(FolderOf(m_strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFileWriter::Abort()
{
    // Removed while still locked: a sweep never meets it unlocked.
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void RemoveStaleTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    const uid_t me = ::geteuid();
    while (struct dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened{}, named{};
        // Unlocked means no writer holds it; the name must still be the file
        // that was locked, or another writer's new file could go instead.
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == me &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(opened, named))
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, int& err)
{
    RemoveStaleTemporaries(FolderOf(path));
    AtomicFileWriter writer;
    bool ok = writer.Open(path) && writer.Write(bytes.data(), bytes.size()) && writer.Commit();
    err = ok ? 0 : writer.Error();
    return ok;
}

bool AtomicFileWriter::WriteFrom(int fd, const std::function<void()>& afterPiece)
{
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_nError = errno;
            return false;
        }
        if (!Write(buffer, static_cast<size_t>(n)))
            return false;
        if (afterPiece)
            afterPiece();
    }
}

bool CopyFileAtomically(const std::string& from, const std::string& to, int& err,
                        const std::function<void()>& afterPiece)
{
    UniqueFd in(OpenRegularFileForReading(from, err));
    if (!in.IsOpen())
        return false;
    RemoveStaleTemporaries(FolderOf(to));
    AtomicFileWriter writer;
    bool ok = writer.Open(to) && writer.WriteFrom(in.Get(), afterPiece) && writer.Commit();
    err = ok ? 0 : writer.Error();
    return ok;
}
