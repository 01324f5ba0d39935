#include "platform/File.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CFile::~CFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CFile::Open(const std::string& fileName, unsigned flags)
{
    Close();
    int oflags = 0;
    if (flags & modeWrite)
        oflags |= O_WRONLY;
    else
        oflags |= O_RDONLY;
    if (flags & modeCreate)
        oflags |= O_CREAT | O_TRUNC;
    // Pictures come from other people: a pipe or device in a file's place is
    // refused at once instead of waited on or read for ever.
    m_fd = OpenRegularFile(fileName, oflags, m_nError);
    if (m_fd < 0)
        return false;
    m_strPath = fileName;
    m_nError = 0;
    return true;
}

size_t CFile::Read(void* buffer, size_t count)
{
    if (m_fd < 0)
        return 0;
    size_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(m_fd, p + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0)
                m_nError = errno;
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

bool CFile::Write(const void* buffer, size_t count)
{
    if (m_fd < 0)
        return false;
    auto* p = static_cast<const char*>(buffer);
    while (count > 0) {
        ssize_t n = ::write(m_fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_nError = errno;
            return false;
        }
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

int64_t CFile::Seek(int64_t offset, SeekPosition from)
{
    if (m_fd < 0)
        return -1;
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (pos < 0) {
        m_nError = errno;
        return -1;
    }
    return pos;
}

uint64_t CFile::GetLength() const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return 0;
    return static_cast<uint64_t>(st.st_size);
}

uint64_t CFile::GetPosition() const
{
    if (m_fd < 0)
        return 0;
    off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    return pos < 0 ? 0 : static_cast<uint64_t>(pos);
}

bool CFile::Flush()
{
    return m_fd >= 0 && ::fsync(m_fd) == 0;
}

void CFile::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

CMemFile::CMemFile(const void* data, size_t size)
    : m_bytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size)
{
}

bool CMemFile::Open(const std::string& fileName, unsigned flags)
{
    m_strPath = fileName;
    m_nPos = 0;
    if (flags & modeCreate)
        m_bytes.clear();
    return true;
}

size_t CMemFile::Read(void* buffer, size_t count)
{
    size_t n = std::min(count, m_bytes.size() - std::min(m_nPos, m_bytes.size()));
    if (n)
        std::memcpy(buffer, m_bytes.data() + m_nPos, n);
    m_nPos += n;
    return n;
}

bool CMemFile::Write(const void* buffer, size_t count)
{
    if (m_nPos + count > m_bytes.size())
        m_bytes.resize(m_nPos + count);
    if (count)
        std::memcpy(m_bytes.data() + m_nPos, buffer, count);
    m_nPos += count;
    return true;
}

int64_t CMemFile::Seek(int64_t offset, SeekPosition from)
{
    int64_t base = from == begin ? 0 : from == current ? static_cast<int64_t>(m_nPos)
                                                       : static_cast<int64_t>(m_bytes.size());
    int64_t pos = base + offset;
    if (pos < 0)
        return -1;
    m_nPos = static_cast<size_t>(pos);
    return pos;
}

bool ReadRest(CFile& file, std::vector<uint8_t>& out, uint64_t limit)
{
    uint64_t length = file.GetLength();
    uint64_t pos = file.GetPosition();
    uint64_t rest = length > pos ? length - pos : 0;
    if (rest > limit)
        return false;
    out.resize(static_cast<size_t>(rest));
    out.resize(file.Read(out.data(), out.size()));
    return true;
}
