#pragma once
// Replaces a file's contents all at once: the bytes go to a temporary file in
// the same folder, which is flushed to disk and renamed over the target, so a
// crash, a full disk or a failed write never leaves a half-written file.

#include <cstddef>
#include <string>

class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    // Abandons the temporary file unless Commit succeeded.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Each step returns false with Error() holding the errno of what failed; the
    // target is then untouched. An existing target keeps its permissions.
    bool Open(const std::string& path);
    // The same, but the new contents get the permission bits `mode` whatever
    // the target had.
    bool Open(const std::string& path, unsigned mode);
    bool Write(const void* data, size_t size);
    // Writes what is left of the open file `fd`, read in pieces; on a failed
    // read Error() holds its errno.
    bool WriteFrom(int fd);
    bool Commit();
    void Abort();
    int Error() const { return m_nError; }

private:
    bool OpenTemporary(const std::string& path);

    std::string m_strPath;
    std::string m_strTemp;
    int m_fd = -1;
    int m_nError = 0;
};

// The whole of `bytes` as the new contents of `path`; false with `err` set.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, int& err);
// A copy of `from` as the new contents of `to`, read and written in pieces;
// false with `err` set (the target then untouched).
bool CopyFileAtomically(const std::string& from, const std::string& to, int& err);
