#include "support/ZipFixture.h"

#include "model/Archive.h"
#include "model/CorvaleDoc.h"
#include "model/MediaNode.h"
#include "support/TestEnvironment.h"

#include <zip.h>

namespace {

uint32_t Read32(const std::string& b, size_t at)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

uint16_t Read16(const std::string& b, size_t at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                                 static_cast<unsigned char>(b[at + 1]) << 8);
}

void Write32(std::string& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Offsets of the central header and the local header of entry `name`.
bool FindEntry(const std::string& b, const std::string& name, size_t& central, size_t& local)
{
    size_t end = b.rfind(std::string("PK\x05\x06", 4));
    if (end == std::string::npos || end + 22 > b.size())
        return false;
    size_t at = Read32(b, end + 16);
    for (uint16_t n = Read16(b, end + 10); n > 0 && at + 46 <= b.size(); --n) {
        size_t nameLength = Read16(b, at + 28);
        size_t next = at + 46 + nameLength + Read16(b, at + 30) + Read16(b, at + 32);
        if (b.compare(at + 46, nameLength, name) == 0) {
            central = at;
            local = Read32(b, at + 42);
            return true;
        }
        at = next;
    }
    return false;
}

} // namespace

bool WriteZip(const std::string& path, const std::vector<ZipItem>& items)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const ZipItem& item : items) {
        zip_source_t* source = zip_source_buffer(archive, item.bytes.data(), item.bytes.size(), 0);
        zip_int64_t index = source ? zip_file_add(archive, item.name.c_str(), source,
                                                  item.utf8 ? ZIP_FL_ENC_UTF_8 : ZIP_FL_ENC_CP437)
                                   : -1;
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        if (item.store)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    return zip_close(archive) == 0;
}

bool PatchDeclaredSize(const std::string& path, const std::string& name, uint32_t size)
{
    std::string b = ReadFileBytes(path);
    size_t central = 0, local = 0;
    if (!FindEntry(b, name, central, local) || local + 30 > b.size())
        return false;
    Write32(b, central + 24, size);
    Write32(b, local + 22, size);
    return WriteFileBytes(path, b);
}

bool DamageEntryData(const std::string& path, const std::string& name)
{
    std::string b = ReadFileBytes(path);
    size_t central = 0, local = 0;
    if (!FindEntry(b, name, central, local) || local + 30 > b.size())
        return false;
    size_t data = local + 30 + Read16(b, local + 26) + Read16(b, local + 28);
    size_t length = Read32(b, central + 20);
    if (length == 0 || data + length > b.size())
        return false;
    b[data + length / 2] ^= 0x5A;
    return WriteFileBytes(path, b);
}

std::string PictureBookBytes(const std::string& title, const std::vector<std::string>& photos,
                             const std::vector<std::string>& media)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = title;
    doc.m_strOwnerName = "Inside";
    doc.m_strOwnerEmail = "inside@example.org";
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = "Group";
    for (size_t i = 0; i < photos.size(); ++i) {
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName(photos[i]);
        if (i == 0)
            for (const std::string& clip : media) {
                auto item = std::make_unique<CMediaNode>();
                item->SetFileName(clip);
                photo->AddMedia(std::move(item));
            }
        group->AddPhoto(std::move(photo));
    }
    doc.m_root.AddPhoto(std::move(group));
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}
