#include "model/Archive.h"

#include "model/BaseNode.h"
#include "model/MediaNode.h"
#include "model/PhotoNode.h"
#include "platform/CodePage.h"

#include <algorithm>

namespace {

constexpr size_t kBufferSize = 64 * 1024;

// Fewest bytes a tagged entry of a child list can take: tag plus the smallest body.
size_t MinimumEntrySize(const CRuntimeClass* cls, bool oldLayout)
{
    const size_t tag = 2, texts = 3, group = 4;
    if (cls == &CMediaNode::classCMediaNode)
        return tag + (oldLayout ? 0 : 16) + texts + group + 4;
    return tag + (oldLayout ? 0 : 16) + texts + group + 8;
}

} // namespace

CArchive::CArchive(const void* data, size_t size)
    : m_bLoading(true), m_pData(static_cast<const uint8_t*>(data)), m_nSize(size), m_nTotal(size)
{
}

CArchive::CArchive(CArchiveSource& source, size_t size)
    : m_bLoading(true), m_pSource(&source), m_nTotal(size), m_pBuffer(new char[kBufferSize])
{
    m_pData = reinterpret_cast<const uint8_t*>(m_pBuffer.get());
}

CArchive::CArchive(CArchiveSink& sink)
    : m_bLoading(false), m_pSink(&sink), m_pBuffer(new char[kBufferSize])
{
    m_pCur = m_pBuffer.get();
    m_pEnd = m_pCur + kBufferSize;
}

CArchive::CArchive() : CArchive(*new CStringSink)
{
    m_pOwnSink.reset(static_cast<CStringSink*>(m_pSink));
}

CArchive::~CArchive() = default;

void CArchive::WriteWord(uint16_t value)
{
    char bytes[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
    WriteBytes(bytes, 2);
}

void CArchive::WriteDword(uint32_t value)
{
    char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                     static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    WriteBytes(bytes, 4);
}

void CArchive::WriteSlow(const char* data, size_t size)
{
    Flush();
    if (size >= kBufferSize) {
        m_pSink->Write(data, size);
        return;
    }
    std::memcpy(m_pCur, data, size);
    m_pCur += size;
}

void CArchive::Flush()
{
    if (!m_pSink)
        return;
    size_t pending = static_cast<size_t>(m_pCur - m_pBuffer.get());
    m_pCur = m_pBuffer.get();
    if (pending)
        m_pSink->Write(m_pBuffer.get(), pending);
}

std::string CArchive::TakeStoredBytes()
{
    Flush();
    return m_pOwnSink ? std::move(m_pOwnSink->m_bytes) : std::string();
}

void CArchive::Refill(size_t count)
{
    if (!m_pSource || count > kBufferSize)
        throw CArchiveException(CArchiveException::endOfFile, "data ends inside a field");
    // The unread rest moves to the front and the source fills the window up
    // behind it, never past the size the load was given.
    char* window = m_pBuffer.get();
    size_t rest = m_nSize - m_nPos;
    std::memmove(window, window + m_nPos, rest);
    m_nBase += m_nPos;
    m_nPos = 0;
    m_nSize = rest;
    while (m_nSize < count) {
        size_t room = std::min(kBufferSize, m_nTotal - m_nBase) - m_nSize;
        size_t read = room ? m_pSource->Read(window + m_nSize, room) : 0;
        if (read == 0)
            throw CArchiveException(CArchiveException::endOfFile, "data ends inside a field");
        m_nSize += read;
    }
}

void CArchive::ReadBytes(char* out, size_t count)
{
    if (count <= kBufferSize || !m_pSource) {
        Need(count);
        std::memcpy(out, m_pData + m_nPos, count);
        m_nPos += count;
        return;
    }
    // Longer than the window: what it holds, then the rest straight from the source.
    if (count > Remaining())
        throw CArchiveException(CArchiveException::endOfFile, "data ends inside a field");
    size_t done = m_nSize - m_nPos;
    std::memcpy(out, m_pData + m_nPos, done);
    m_nBase += m_nSize;
    m_nPos = 0;
    m_nSize = 0;
    while (done < count) {
        size_t read = m_pSource->Read(out + done, count - done);
        if (read == 0)
            throw CArchiveException(CArchiveException::endOfFile, "data ends inside a field");
        done += read;
        m_nBase += read;
    }
}

uint8_t CArchive::ReadByte()
{
    Need(1);
    return m_pData[m_nPos++];
}

uint16_t CArchive::ReadWord()
{
    Need(2);
    uint16_t value = static_cast<uint16_t>(m_pData[m_nPos] | (m_pData[m_nPos + 1] << 8));
    m_nPos += 2;
    return value;
}

uint32_t CArchive::ReadDword()
{
    Need(4);
    const uint8_t* p = m_pData + m_nPos;
    uint32_t value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                     (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    m_nPos += 4;
    return value;
}

void CArchive::WriteText(const std::string& text)
{
    size_t length = text.size();
    if (length < 0xFF) {
        WriteByte(static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteByte(0xFF);
        WriteWord(static_cast<uint16_t>(length));
    } else {
        if (length > 0xFFFFFFFFu)
            throw CArchiveException(CArchiveException::tooLarge, "text too long to store");
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDword(static_cast<uint32_t>(length));
    }
    WriteBytes(text.data(), text.size());
}

uint32_t CArchive::ReadLength(bool allowWide, bool& wide)
{
    wide = false;
    uint8_t b = ReadByte();
    if (b < 0xFF)
        return b;
    uint16_t w = ReadWord();
    if (w == 0xFFFE) {
        if (!allowWide)
            throw CArchiveException(CArchiveException::endOfFile, "wide marker inside a wide text");
        wide = true;
        return 0;
    }
    if (w < 0xFFFF)
        return w;
    return ReadDword();
}

void CArchive::ReadText(std::string& out)
{
    bool wide = false;
    uint32_t length = ReadLength(true, wide);
    if (!wide) {
        if (length <= kBufferSize || !m_pSource) {
            Need(length);
            out.assign(reinterpret_cast<const char*>(m_pData + m_nPos), length);
            m_nPos += length;
            return;
        }
        // Checked before the text is made, so a length no file holds allocates nothing.
        if (length > Remaining())
            throw CArchiveException(CArchiveException::endOfFile, "data ends inside a field");
        out.resize(length);
        ReadBytes(&out[0], length);
        return;
    }
    bool again = false;
    uint32_t chars = ReadLength(false, again);
    size_t bytes = static_cast<size_t>(chars) * 2;
    if (bytes <= kBufferSize || !m_pSource) {
        Need(bytes);
        out = Utf16LeToCp1252(m_pData + m_nPos, chars);
        m_nPos += bytes;
        return;
    }
    if (bytes > Remaining())
        throw CArchiveException(CArchiveException::endOfFile, "data ends inside a field");
    std::string units(bytes, '\0');
    ReadBytes(&units[0], bytes);
    out = Utf16LeToCp1252(reinterpret_cast<const uint8_t*>(units.data()), chars);
}

uint32_t CArchive::NextIndex()
{
    if (m_nMapCount >= kMaxMapCount)
        throw CArchiveException(CArchiveException::badIndex, "too many objects");
    return m_nMapCount++;
}

void CArchive::WriteObject(const CBaseNode* node)
{
    if (!node) {
        WriteWord(0);
        return;
    }
    // Each node is owned by exactly one parent, so no node can come here twice
    // within one file: every node written is new and no back-reference is ever
    // needed (which also spares a lookup per node).
    const CRuntimeClass* cls = node->GetRuntimeClass();
    uint32_t classIndex = 0;
    for (const auto& entry : m_storeClasses)
        if (entry.first == cls)
            classIndex = entry.second;
    if (classIndex == 0) {
        size_t nameLength = std::strlen(cls->m_lpszClassName);
        WriteWord(0xFFFF);
        WriteWord(static_cast<uint16_t>(cls->m_wSchema));
        WriteWord(static_cast<uint16_t>(nameLength));
        WriteBytes(cls->m_lpszClassName, nameLength);
        m_storeClasses.emplace_back(cls, NextIndex());
    } else if (classIndex < 0x7FFF) {
        WriteWord(static_cast<uint16_t>(0x8000 | classIndex));
    } else {
        WriteWord(0x7FFF);
        WriteDword(0x80000000u | classIndex);
    }
    NextIndex();
    const_cast<CBaseNode*>(node)->Serialize(*this);
}

std::unique_ptr<CBaseNode> CArchive::ReadObject(const CRuntimeClass* expected)
{
    if (m_nDepth >= kMaxDepth)
        throw CArchiveException(CArchiveException::tooDeep, "nodes nested too deeply");

    uint16_t w = ReadWord();
    uint32_t t = w == 0x7FFF ? ReadDword()
                             : ((static_cast<uint32_t>(w) & 0x8000u) << 16) | (w & 0x7FFFu);

    if (!(t & 0x80000000u)) {
        if (t >= m_nMapCount)
            throw CArchiveException(CArchiveException::badIndex, "reference beyond the objects read");
        // Null entries, references to classes and references to nodes already
        // placed in the tree are all refused.
        throw CArchiveException(CArchiveException::badIndex, "reference where a new node belongs");
    }

    const CRuntimeClass* cls = nullptr;
    if (w == 0xFFFF) {
        uint16_t schema = ReadWord();
        uint16_t length = ReadWord();
        if (length >= 64 || Remaining() < length)
            throw CArchiveException(CArchiveException::badClass, "bad class name");
        Need(length);
        cls = CRuntimeClass::FromName(reinterpret_cast<const char*>(m_pData + m_nPos), length);
        m_nPos += length;
        if (!cls)
            throw CArchiveException(CArchiveException::badClass, "unknown class");
        if (schema != cls->m_wSchema)
            throw CArchiveException(CArchiveException::badSchema, "unknown schema");
        m_loadClasses.emplace_back(NextIndex(), cls);
    } else {
        uint32_t classIndex = t & 0x7FFFFFFFu;
        if (classIndex == 0 || classIndex >= m_nMapCount)
            throw CArchiveException(CArchiveException::badIndex, "class index beyond those read");
        for (const auto& entry : m_loadClasses)
            if (entry.first == classIndex)
                cls = entry.second;
        if (!cls)
            throw CArchiveException(CArchiveException::badClass, "class index names an object");
    }

    if (!cls->IsDerivedFrom(expected) || !cls->m_pfnCreateObject)
        throw CArchiveException(CArchiveException::badClass, "node of the wrong class");

    std::unique_ptr<CBaseNode> node(cls->m_pfnCreateObject());
    NextIndex();
    ++m_nDepth;
    node->Serialize(*this);
    --m_nDepth;
    return node;
}

void CArchive::CheckCount(int32_t count, const CRuntimeClass* entryClass) const
{
    if (count <= 0)
        return;
    size_t minimum = MinimumEntrySize(entryClass, m_bOldLayout);
    if (static_cast<size_t>(count) > Remaining() / minimum)
        throw CArchiveException(CArchiveException::endOfFile, "count beyond the data left");
}
