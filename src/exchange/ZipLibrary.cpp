#include "exchange/ZipLibrary.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/UniqueFd.h"

#include <zip.h>

#include <climits>
#include <cstring>
#include <filesystem>

namespace {

constexpr size_t kChunkBytes = 64 * 1024;

bool HasHighBytes(const char* text)
{
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80)
            return true;
    return false;
}

// Names are the 8-bit code page throughout. An entry marked as UTF-8 is the
// one kind libzip leaves unconverted in its strict reading, so that reading
// equals the raw bytes only then.
std::string EntryName(zip_t* archive, zip_uint64_t index)
{
    const char* raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
    if (!raw)
        return std::string();
    if (!HasHighBytes(raw))
        return raw;
    const char* strict = zip_get_name(archive, index, ZIP_FL_ENC_STRICT);
    if (strict && std::strcmp(raw, strict) == 0)
        return Utf8ToCp1252(raw);
    return raw;
}

// Refuses work that cannot fit before anything is written: a small archive
// may declare entries far larger than the disk.
bool RoomFor(const std::string& folder, uint64_t bytes)
{
    std::error_code ec;
    std::filesystem::space_info space = std::filesystem::space(folder, ec);
    return ec || bytes <= space.available;
}

} // namespace

ZipLibrary::ZipLibrary() = default;

ZipLibrary::~ZipLibrary()
{
    CloseArchive();
}

int ZipLibrary::OpenArchive(const std::string& path)
{
    CloseArchive();
    // A pipe or device would have the reader wait or read for ever; the file
    // looked at is the one the library reads.
    UniqueFd file(OpenRegularFileForReading(path));
    if (!file.IsOpen())
        return kFailed;
    int error = 0;
    zip_t* archive = zip_fdopen(file.Get(), 0, &error);
    if (!archive)
        return kFailed;
    file.Release(); // the archive closes it
    zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || count > INT_MAX) {
        zip_discard(archive);
        return kFailed;
    }
    m_entries.resize(static_cast<size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        Entry& entry = m_entries[static_cast<size_t>(i)];
        entry.name = EntryName(archive, static_cast<zip_uint64_t>(i));
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) == 0 &&
            (st.valid & ZIP_STAT_SIZE))
            entry.size = st.size;
    }
    m_pArchive = archive;
    return kOk;
}

int ZipLibrary::GetEntryCount() const
{
    return static_cast<int>(m_entries.size());
}

std::string ZipLibrary::GetEntryName(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return std::string();
    return m_entries[static_cast<size_t>(index)].name;
}

int64_t ZipLibrary::GetEntrySize(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return 0;
    uint64_t size = m_entries[static_cast<size_t>(index)].size;
    return size > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(size);
}

void ZipLibrary::SelectEntry(int index, bool select)
{
    if (index >= 0 && static_cast<size_t>(index) < m_entries.size())
        m_entries[static_cast<size_t>(index)].selected = select;
}

bool ZipLibrary::IsSelected(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_entries.size() &&
           m_entries[static_cast<size_t>(index)].selected;
}

int ZipLibrary::ExtractEntry(int index, const std::string& folder, const ProgressCallback& callback)
{
    if (!m_pArchive || index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return kFailed;
    if (!RoomFor(folder, m_entries[static_cast<size_t>(index)].size))
        return kFailed;
    RemoveStaleTemporaries(folder);
    BeginExtraction();
    int result = ExtractOne(static_cast<size_t>(index), folder, callback);
    m_bExtracting = false;
    m_bAbort = false;
    return result;
}

void ZipLibrary::BeginExtraction()
{
    m_bExtracting = true;
    m_bAbort = false;
    m_nFilesDone = 0;
    m_nBytesDone = 0;
}

int ZipLibrary::ExtractSelected(const std::string& folder, const ProgressCallback& callback)
{
    if (!m_pArchive)
        return kFailed;
    uint64_t needed = 0;
    for (const Entry& entry : m_entries)
        if (entry.selected)
            needed = entry.size > UINT64_MAX - needed ? UINT64_MAX : needed + entry.size;
    if (!RoomFor(folder, needed))
        return kFailed;
    RemoveStaleTemporaries(folder);

    BeginExtraction();
    int result = kOk;
    for (size_t i = 0; i < m_entries.size() && result == kOk; ++i) {
        if (!m_entries[i].selected)
            continue;
        result = ExtractOne(i, folder, callback);
        if (result != kOk)
            break;
        ++m_nFilesDone;
        if (callback)
            callback();
        if (m_bAbort)
            result = kFailed;
    }
    m_bExtracting = false;
    m_bAbort = false;
    return result;
}

int ZipLibrary::ExtractOne(size_t index, const std::string& folder, const ProgressCallback& callback)
{
    const Entry& entry = m_entries[index];
    std::string name = ExtractedName(entry.name);
    if (name.empty())
        return kFailed;
    zip_file_t* file = zip_fopen_index(m_pArchive, index, 0);
    if (!file)
        return kFailed;

    // The file appears under its name only once complete; on any failure the
    // writer takes its temporary file away again.
    AtomicFileWriter out;
    bool ok = out.Open(PathInFolder(folder, name));
    std::vector<char> buffer(kChunkBytes);
    uint64_t written = 0;
    while (ok) {
        zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        written += static_cast<uint64_t>(n);
        // Data that expands beyond the declared size is damaged or hostile;
        // stopping here bounds what one entry can put on the disk.
        if (written > entry.size || !out.Write(buffer.data(), static_cast<size_t>(n))) {
            ok = false;
            break;
        }
        m_nBytesDone += n;
        if (callback)
            callback();
        if (m_bAbort)
            ok = false;
    }
    zip_fclose(file);
    if (ok && written != entry.size)
        ok = false;
    return ok && out.Commit() ? kOk : kFailed;
}

void ZipLibrary::AbortExtraction()
{
    if (m_bExtracting)
        m_bAbort = true;
}

bool ZipLibrary::GetProgress(int& files, int64_t& bytes) const
{
    if (!m_bExtracting)
        return false;
    files = m_nFilesDone;
    bytes = m_nBytesDone;
    return true;
}

void ZipLibrary::CloseArchive()
{
    if (m_pArchive)
        zip_discard(m_pArchive);
    m_pArchive = nullptr;
    m_entries.clear();
    m_bExtracting = false;
}

std::string ZipLibrary::ExtractedName(const std::string& entryName)
{
    size_t cut = entryName.find_last_of("/\\");
    std::string base = cut == std::string::npos ? entryName : entryName.substr(cut + 1);
    if (base.empty() || base == "." || base == "..")
        return std::string();
    return Cp1252ToUtf8(base);
}
