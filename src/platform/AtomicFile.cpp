#include "platform/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    size_t slash = path.find_last_of('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    m_strTemp = FolderOf(path) + "/." + base + ".XXXXXX";
    m_fd = ::mkostemp(m_strTemp.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_nError = errno;
        m_strTemp.clear();
        return false;
    }
    return true;
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
    if (::close(m_fd) != 0 && ok) {
        m_nError = errno;
        ok = false;
    }
    m_fd = -1;
    if (ok && ::rename(m_strTemp.c_str(), m_strPath.c_str()) != 0) {
        m_nError = errno;
        ok = false;
    }
    if (!ok) {
        Abort();
        return false;
    }
    m_strTemp.clear();
    int dir = ::open(FolderOf(m_strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFileWriter::Abort()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, int& err)
{
    AtomicFileWriter writer;
    bool ok = writer.Open(path) && writer.Write(bytes.data(), bytes.size()) && writer.Commit();
    err = ok ? 0 : writer.Error();
    return ok;
}

bool AtomicFileWriter::WriteFrom(int fd)
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
    }
}

bool CopyFileAtomically(const std::string& from, const std::string& to, int& err)
{
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        err = errno;
        return false;
    }
    AtomicFileWriter writer;
    bool ok = writer.Open(to) && writer.WriteFrom(in);
    ::close(in);
    ok = ok && writer.Commit();
    err = ok ? 0 : writer.Error();
    return ok;
}
