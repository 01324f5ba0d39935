#pragma once
// Replaces a file's contents all at once: the bytes go to a temporary file in
// the same folder, which is flushed to disk and renamed over the target, so a
// crash, a full disk or a failed write never leaves a half-written file.
//
// Temporary names are short and of one form (".corvale-tmp-" and six
// characters) whatever the target is called, so a target may use the whole
// name length the file system allows. A writer holds an flock on its
// temporary file from creating it until it is renamed or removed; one found
// unlocked was left by a writer that died (kill -9, power loss) and is
// removed by RemoveStaleTemporaries.

#include <cstddef>
#include <functional>
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
    // Writes what is left of the open file `fd`, read in pieces, calling
    // `afterPiece` (when given) after each; on a failed read Error() holds its errno.
    bool WriteFrom(int fd, const std::function<void()>& afterPiece = {});
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

// Removes the temporary files of writers that died from `folder`: only names
// of our form, only regular files of this user, only those no writer holds.
// Each operation that saves into a folder calls it once before it starts.
void RemoveStaleTemporaries(const std::string& folder);

// The whole of `bytes` as the new contents of `path`; false with `err` set.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, int& err);
// A copy of `from` as the new contents of `to`, read and written in pieces;
// false with `err` set (the target then untouched). `afterPiece` as for WriteFrom.
bool CopyFileAtomically(const std::string& from, const std::string& to, int& err,
                        const std::function<void()>& afterPiece = {});
