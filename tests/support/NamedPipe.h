#pragma once
// A named pipe standing where a file is expected. Code that wrongly waits on
// it is let go after a while by a writer that opens and closes it, so such a
// fault fails its test instead of hanging the run.

#include <atomic>
#include <string>
#include <thread>

class NamedPipe {
public:
    explicit NamedPipe(std::string path);
    ~NamedPipe();
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    std::atomic<bool> m_bStop{false};
    std::thread m_releaser;
};
