#pragma once
// Exports a Picture Book to formats every program reads: each file its nodes
// name copied with its own bytes into a folder per group, thumbnails and
// browser copies of the pictures, index pages and book.json. Everything is
// written inside one new folder, which goes again when the export is
// cancelled or fails. Questions and messages go to the Prompter it is given,
// progress to an ImportProgress.

#include "exchange/ExportedBook.h"
#include "exchange/ImportProgress.h"
#include "exchange/UniqueNames.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CBaseNode;
class CCorvaleDoc;
class Prompter;

class BookExporter {
public:
    using ProgressFactory = std::function<std::unique_ptr<ImportProgress>()>;
    enum class Result { Done, Declined, Cancelled, Failed };

    // Files are looked for as the viewer looks for them, from `bookFolder`;
    // only files inside that folder are taken.
    BookExporter(const CCorvaleDoc& doc, std::string bookFolder, Prompter& prompter);
    ~BookExporter();
    BookExporter(const BookExporter&) = delete;
    BookExporter& operator=(const BookExporter&) = delete;

    // Without a factory the export runs without a progress display.
    void SetProgressFactory(ProgressFactory factory) { m_progressFactory = std::move(factory); }
    // A book with more photographs than this gets a page per group.
    void SetOnePageLimit(size_t photographs) { m_nOnePageLimit = photographs; }

    // Exports into the new folder `name` in `parent`. An existing folder of
    // that name gets the folder question (Declined on No); failures are
    // shown through the Prompter; the success message is the caller's.
    Result Export(const std::string& parent, const std::string& name);

    // The folder the export went into.
    const std::string& Folder() const { return m_strFolder; }
    // What the pages say of each file that was not exported, in tree order.
    const std::vector<std::string>& NotExported() const { return m_notExported; }
    const ExportedBook& Book() const { return m_book; }

    static constexpr size_t kDefaultOnePageLimit = 100;
    static constexpr uint32_t kThumbnailSize = 240;

private:
    struct CopyJob;
    enum class Step { Go, Cancelled, Failed };

    void Plan(const CBaseNode& node, ExportedNode& out, const std::string& folder);
    void PlanFile(const CBaseNode& node, ExportedNode& out, const std::string& folder);
    Step MakeGroupFolders(const ExportedNode& node);
    void AssignPages(ExportedNode& node, int& number);
    Step CopyFiles();
    Step CopyOne(CopyJob& job);
    Step MakeBrowserPictures(CopyJob& job, const std::vector<uint8_t>& bytes);
    Step WriteIndex();
    Step WriteFile(const std::string& relative, const std::string& bytes);
    Step FailWrite(const std::string& relative, int err);
    void ShowProgress(const std::string& fileName);
    bool Cancelled();
    std::string Absolute(const std::string& relative) const;
    UniqueNames& NamesIn(const std::string& folder) { return m_names[folder]; }

    const CCorvaleDoc& m_doc;
    std::string m_strBookFolder;
    std::string m_strCanonicalBookFolder;
    Prompter& m_prompter;
    ProgressFactory m_progressFactory;
    std::unique_ptr<ImportProgress> m_progress;
    size_t m_nOnePageLimit = kDefaultOnePageLimit;

    std::string m_strFolder;
    ExportedBook m_book;
    std::map<std::string, UniqueNames> m_names; // by folder, relative
    std::vector<std::unique_ptr<CopyJob>> m_jobs;
    std::map<std::string, CopyJob*> m_jobBySource;
    std::vector<std::string> m_notExported;
    size_t m_nPhotographs = 0;
    int64_t m_nTotalBytes = 0;
    int64_t m_nBytesDone = 0;
    size_t m_nFilesDone = 0;
    std::string m_strFailure;
};
