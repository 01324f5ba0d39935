#pragma once
// The ZIP reader behind the import: one current archive, its entries by index,
// and extraction of one entry or of the marked entries into a folder, each
// file under the base name of its entry and never anywhere else.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct zip;

class ZipLibrary {
public:
    using ProgressCallback = std::function<void()>;

    // Results of the opening and extraction calls: 0 is success.
    static constexpr int kOk = 0;
    static constexpr int kFailed = 1;

    ZipLibrary();
    ~ZipLibrary();
    ZipLibrary(const ZipLibrary&) = delete;
    ZipLibrary& operator=(const ZipLibrary&) = delete;

    // Opens `path` (a platform path) as the current archive, closing any
    // previous one; kOk or kFailed.
    int OpenArchive(const std::string& path);
    // Entries 0 to count-1 of the current archive; 0 when none is open.
    int GetEntryCount() const;
    // The entry's name in the 8-bit code page, folder parts and all; "" for
    // an index out of range.
    std::string GetEntryName(int index) const;
    // The size the archive declares for the entry once extracted; 0 for an
    // index out of range.
    int64_t GetEntrySize(int index) const;
    // Marks (or unmarks) an entry for ExtractSelected.
    void SelectEntry(int index, bool select);
    bool IsSelected(int index) const;
    // Writes one entry into `folder`, calling `callback` after each piece
    // written; kOk, or kFailed when it failed or AbortExtraction was called.
    int ExtractEntry(int index, const std::string& folder, const ProgressCallback& callback = {});
    // Writes every marked entry into `folder` in index order, calling
    // `callback` after each piece written and after each file. kOk when all
    // were written; kFailed when one failed or AbortExtraction was called,
    // with the files written before it left in place.
    int ExtractSelected(const std::string& folder, const ProgressCallback& callback);
    // Makes the running extraction stop after the piece it is writing.
    void AbortExtraction();
    // While an extraction runs: true with the files finished and the bytes
    // written so far; false otherwise.
    bool GetProgress(int& files, int64_t& bytes) const;
    void CloseArchive();

    // The file name an entry is written under: the part of its name after the
    // last '/' or '\\', in UTF-8. "" when that part cannot name a file in the
    // folder ("", "." or ".."), and such entries are never written.
    static std::string ExtractedName(const std::string& entryName);

private:
    struct Entry {
        std::string name;
        uint64_t size = 0;
        bool selected = false;
    };

    void BeginExtraction();
    int ExtractOne(size_t index, const std::string& folder, const ProgressCallback& callback);

    zip* m_pArchive = nullptr;
    std::vector<Entry> m_entries;
    bool m_bExtracting = false;
    bool m_bAbort = false;
    int m_nFilesDone = 0;
    int64_t m_nBytesDone = 0;
};
