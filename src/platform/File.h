#pragma once
// The plain byte file the image classes read and write through: a file on disk
// (CFile) or a block of memory (CMemFile) behind the same operations.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CFile {
public:
    enum OpenFlags : unsigned { modeRead = 0x0, modeWrite = 0x1, modeCreate = 0x1000 };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False with Error() set to the errno when the file cannot be opened.
    virtual bool Open(const std::string& fileName, unsigned flags);
    // Bytes read: fewer than asked only at the end of the file or on an error.
    virtual size_t Read(void* buffer, size_t count);
    virtual bool Write(const void* buffer, size_t count);
    // The new position, or -1 when it would fall before the start.
    virtual int64_t Seek(int64_t offset, SeekPosition from);
    virtual uint64_t GetLength() const;
    virtual uint64_t GetPosition() const;
    virtual bool Flush();
    virtual void Close();
    virtual bool IsOpen() const { return m_fd >= 0; }

    const std::string& GetFilePath() const { return m_strPath; }
    int Error() const { return m_nError; }

protected:
    int m_nError = 0;
    std::string m_strPath;

private:
    int m_fd = -1;
};

// A file held in memory: reading serves the bytes given, writing collects them.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    explicit CMemFile(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    CMemFile(const void* data, size_t size);

    bool Open(const std::string& fileName, unsigned flags) override;
    size_t Read(void* buffer, size_t count) override;
    bool Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekPosition from) override;
    uint64_t GetLength() const override { return m_bytes.size(); }
    uint64_t GetPosition() const override { return m_nPos; }
    bool Flush() override { return true; }
    void Close() override { m_nPos = 0; }
    bool IsOpen() const override { return true; }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_nPos = 0;
};

// Reads what is left of `file` from its position, at most `limit` bytes; false
// when the rest is longer than the limit.
bool ReadRest(CFile& file, std::vector<uint8_t>& out, uint64_t limit);
