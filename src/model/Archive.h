#pragma once
// The object archive of Picture Book files: little-endian primitives, texts
// that carry their own length, and tagged node records with one numbering
// shared by classes and objects. Loading reads from a byte buffer, or from a
// source through a small window, and throws CArchiveException at the first
// thing that does not follow the format.

#include "model/RuntimeClass.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class CBaseNode;

class CArchiveException : public std::runtime_error {
public:
    enum Cause { endOfFile, badClass, badSchema, badIndex, tooDeep, tooLarge };
    CArchiveException(Cause cause, const char* what) : std::runtime_error(what), m_cause(cause) {}
    Cause m_cause;
};

// Where a storing archive's bytes go. Write throws to abandon the store.
class CArchiveSink {
public:
    virtual ~CArchiveSink() = default;
    virtual void Write(const char* data, size_t size) = 0;
};

class CStringSink : public CArchiveSink {
public:
    void Write(const char* data, size_t size) override { m_bytes.append(data, size); }
    std::string m_bytes;
};

// Where a loading archive's bytes come from when they are not all in memory.
class CArchiveSource {
public:
    virtual ~CArchiveSource() = default;
    // Up to `size` bytes into `data`; 0 only at the end. Throws to abandon the load.
    virtual size_t Read(char* data, size_t size) = 0;
};

class CArchive {
public:
    // Deeper nesting than this is refused as a format error rather than risking the stack.
    static constexpr int kMaxDepth = 1024;
    // Indexes stay below this; a file that would need it is malformed.
    static constexpr uint32_t kMaxMapCount = 0x3FFFFFFE;

    // Load mode over `size` bytes at `data` (not copied; must outlive the archive).
    CArchive(const void* data, size_t size);
    // Load mode over the `size` bytes `source` gives, held a window at a time,
    // so a large file never needs a copy of its own in memory.
    CArchive(CArchiveSource& source, size_t size);
    // Store mode into `sink`, through a buffer: call Flush when done.
    explicit CArchive(CArchiveSink& sink);
    // Store mode into memory; TakeStoredBytes gives the result.
    CArchive();
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_bLoading; }
    bool IsStoring() const { return !m_bLoading; }

    void WriteByte(uint8_t value)
    {
        char c = static_cast<char>(value);
        WriteBytes(&c, 1);
    }
    void WriteWord(uint16_t value);
    void WriteDword(uint32_t value);
    void WriteBytes(const char* data, size_t size)
    {
        if (size <= static_cast<size_t>(m_pEnd - m_pCur)) {
            std::memcpy(m_pCur, data, size);
            m_pCur += size;
        } else {
            WriteSlow(data, size);
        }
    }
    // Hands every buffered byte to the sink.
    void Flush();
    void WriteInt32(int32_t value) { WriteDword(static_cast<uint32_t>(value)); }
    void WriteText(const std::string& text);
    // Writes the tag (and class record when the class is new), then the body.
    void WriteObject(const CBaseNode* node);

    uint8_t ReadByte();
    uint16_t ReadWord();
    uint32_t ReadDword();
    int32_t ReadInt32() { return static_cast<int32_t>(ReadDword()); }
    void ReadText(std::string& out);
    // Reads one tagged node of `expected` (or a class derived from it) with its
    // body. Null tags and references to earlier objects are refused: every node
    // a reader places in the tree must be new, so none can stand in two lists.
    std::unique_ptr<CBaseNode> ReadObject(const CRuntimeClass* expected);
    // Refuses a child count that the bytes left could not possibly hold.
    void CheckCount(int32_t count, const CRuntimeClass* entryClass) const;

    // Of the size given when loading; a source that ends early ends the load sooner.
    size_t Remaining() const { return m_nTotal - m_nBase - m_nPos; }
    size_t Position() const { return m_nBase + m_nPos; }
    std::string TakeStoredBytes();

    // Node bodies of the older collection layout carry no version pairs.
    bool m_bOldLayout = false;

private:
    // Makes `count` bytes (at most a window's worth) readable at m_pData + m_nPos.
    void Need(size_t count)
    {
        if (m_nSize - m_nPos < count)
            Refill(count);
    }
    void Refill(size_t count);
    // Copies `count` bytes (any number) to `out`, through the window or past it.
    void ReadBytes(char* out, size_t count);
    uint32_t ReadLength(bool allowWide, bool& wide);
    void WriteSlow(const char* data, size_t size);
    uint32_t NextIndex();

    bool m_bLoading;
    // The bytes in memory: all of them, or the window onto the source.
    const uint8_t* m_pData = nullptr;
    size_t m_nSize = 0;
    size_t m_nPos = 0;
    CArchiveSource* m_pSource = nullptr;
    size_t m_nBase = 0;  // where the window starts in the whole
    size_t m_nTotal = 0; // the size of the whole
    std::unique_ptr<CStringSink> m_pOwnSink;
    CArchiveSink* m_pSink = nullptr;
    std::unique_ptr<char[]> m_pBuffer;
    char* m_pCur = nullptr;
    char* m_pEnd = nullptr;

    uint32_t m_nMapCount = 1; // next index; 0 means "no object"
    int m_nDepth = 0;
    // The index each class took, when loading and when storing.
    std::vector<std::pair<uint32_t, const CRuntimeClass*>> m_loadClasses;
    std::vector<std::pair<const CRuntimeClass*, uint32_t>> m_storeClasses;
};
