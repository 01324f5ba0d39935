#include "support/NamedPipe.h"

#include <chrono>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

NamedPipe::NamedPipe(std::string path) : m_strPath(std::move(path))
{
    if (::mkfifo(m_strPath.c_str(), 0600) != 0)
        throw std::runtime_error("cannot make the pipe " + m_strPath);
    m_releaser = std::thread([this] {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!m_bStop && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // Opening for writing succeeds only while a reader waits; its end
        // gives that reader an empty file.
        while (!m_bStop) {
            int fd = ::open(m_strPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
}

NamedPipe::~NamedPipe()
{
    m_bStop = true;
    m_releaser.join();
    ::unlink(m_strPath.c_str());
}
