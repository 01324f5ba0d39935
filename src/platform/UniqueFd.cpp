#include "platform/UniqueFd.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other)
        Reset(other.Release());
    return *this;
}

int UniqueFd::Release()
{
    int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::Reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

ssize_t UniqueFd::Read(void* data, size_t size) const
{
    for (;;) {
        ssize_t n = ::read(m_fd, data, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool UniqueFd::Size(uint64_t& size) const
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return false;
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool UniqueFd::Permissions(unsigned& mode) const
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return false;
    mode = static_cast<unsigned>(st.st_mode & 07777);
    return true;
}
