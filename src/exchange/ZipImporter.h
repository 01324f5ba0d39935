#pragma once
// Imports a Picture Book from a ZIP archive: gives it a folder of its own under
// the Picture Book root, extracts there the files its nodes name, records the
// sender and hands the new book over to be opened. Messages and questions go
// through the Prompter, progress through an ImportProgress.

#include "exchange/ImportProgress.h"
#include "exchange/ZipLibrary.h"
#include "platform/MessageTable.h"
#include "platform/Settings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CBaseNode;
class CCorvaleDoc;

// What one running import knows; there is one import at a time per process.
struct ImportState {
    std::string workPath;    // the temporary folder, then the target folder
    int selectedCount = 0;   // entries marked, once per node that names one
    int64_t selectedBytes = 0;
    // Names of the marked entries in the order they are extracted, so item
    // number "files done" is the entry now being written.
    std::vector<std::string> entryNames;
    std::unique_ptr<ImportProgress> progress;
};

class ZipImporter {
public:
    using ProgressFactory = std::function<std::unique_ptr<ImportProgress>()>;
    using OpenBook = std::function<void(const std::string& path)>;

    ZipImporter(Settings settings, std::string installFolder);
    ~ZipImporter();
    ZipImporter(const ZipImporter&) = delete;
    ZipImporter& operator=(const ZipImporter&) = delete;

    // Without a factory the import runs without a progress display.
    void SetProgressFactory(ProgressFactory factory) { m_progressFactory = std::move(factory); }
    void SetOpenBook(OpenBook open) { m_openBook = std::move(open); }
    // Books go into `folder` instead of the Picture Book root of the settings.
    void SetRootFolder(std::string folder) { m_strRootFolder = std::move(folder); }

    // Imports the archive at `path`; every outcome is shown to the user. True
    // when the new book was made and handed to be opened (NewDataFile names
    // it). False at once while another import runs.
    bool ImportZipArchive(const std::string& path);
    // The index of the first entry whose name ends in ".pbk" or ".pcs" (any
    // case); -1 when there is none; 0 when the archive cannot be opened, so
    // that the import fails at its own opening.
    int FindPictureBookEntry(const std::string& path);

    const std::string& NewDataFile() const { return m_strNewDataFile; }
    const ImportState& State() const { return m_state; }

private:
    enum class Outcome { Done, Stopped };

    Outcome Import(const std::string& path, int index);
    Outcome Fail(MessageId message, const std::string& argument = std::string());
    // Ends the import: the progress display goes, then the messages are shown.
    Outcome Stop(const std::vector<std::string>& messages);
    Outcome ChooseTargetFolder(const std::string& title, const std::string& dataName);
    std::unique_ptr<CCorvaleDoc> LoadTemporaryDocument(const std::string& file,
                                                       const std::string& dataName,
                                                       std::vector<std::string>& messages);
    void RecordSender(const std::string& title);
    void SelectNodeFiles(CCorvaleDoc& doc);
    void SelectNodeFileCallback(CCorvaleDoc* doc, CBaseNode* node, int depth);
    void ImportProgressCallback();
    // Between the pieces of any other extraction or copy: the display stays
    // painted and Cancel reachable; `expectedBytes` (when known) moves the bar.
    void KeepResponsive(int64_t expectedBytes);
    bool IsCancelled() const;
    // True, with the running extraction told to stop, once the user asked to cancel.
    bool StopIfCancelled();
    void ShowPhase(MessageId message);

    Settings m_settings;
    std::string m_strInstallFolder;
    std::string m_strRootFolder;
    ProgressFactory m_progressFactory;
    OpenBook m_openBook;
    ZipLibrary m_zip;
    ImportState m_state;
    std::string m_strNewDataFile;
    // Lower-cased base name to the first entry that bears it, while selecting.
    std::unordered_map<std::string, int> m_byBaseName;
};
