#include "exchange/ZipImporter.h"

#include "exchange/ImportFolders.h"
#include "exchange/OwnerFields.h"
#include "model/DocTemplates.h"
#include "model/OldCorvaleDoc.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"
#include "platform/SettingsKeys.h"

#include <filesystem>
#include <limits>

namespace fs = std::filesystem;

namespace {

const char kSenderScript[] = "corvale.inf";
// Setup scripts are a few kilobytes; a larger one is not read into memory.
constexpr int64_t kMaxSenderScriptBytes = 4 << 20;
constexpr int kLingerMilliseconds = 500;

bool g_bImportRunning = false;

std::string BaseName(const std::string& name)
{
    size_t cut = name.find_last_of("/\\");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

// A folder of the import's own inside the temporary folder, so that no other
// program or user can put a file where the import reads; it goes away with
// everything in it when the import ends, whichever way.
class TemporaryFolder {
public:
    TemporaryFolder() : m_strPath(MakePrivateTempFolder("corvale-import-")) {}
    ~TemporaryFolder()
    {
        std::error_code ec;
        if (!m_strPath.empty())
            fs::remove_all(m_strPath, ec);
    }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

// Holds back the messages of loading the data file, to be shown once the
// progress display has gone.
class HeldMessages : public Prompter {
public:
    explicit HeldMessages(std::vector<std::string>& texts)
        : m_texts(texts), m_pPrevious(Prompter::SetCurrent(this))
    {
    }
    ~HeldMessages() override { Prompter::SetCurrent(m_pPrevious); }

    PromptReply Ask(const std::string& text, PromptButtons buttons, PromptIcon,
                    const std::string&) override
    {
        m_texts.push_back(text);
        return NegativeReply(buttons);
    }

private:
    std::vector<std::string>& m_texts;
    Prompter* m_pPrevious;
};

int64_t SaturatingAdd(int64_t a, int64_t b)
{
    return b > std::numeric_limits<int64_t>::max() - a ? std::numeric_limits<int64_t>::max() : a + b;
}

int Percent(int64_t part, int64_t whole)
{
    if (whole <= 0)
        return 0;
    int64_t percent = part <= std::numeric_limits<int64_t>::max() / 100 ? part * 100 / whole
                                                                          : part / (whole / 100);
    return static_cast<int>(std::min<int64_t>(std::max<int64_t>(percent, 0), 100));
}

} // namespace

ZipImporter::ZipImporter(Settings settings, std::string installFolder)
    : m_settings(std::move(settings)), m_strInstallFolder(std::move(installFolder))
{
}

ZipImporter::~ZipImporter() = default;

int ZipImporter::FindPictureBookEntry(const std::string& path)
{
    if (m_zip.OpenArchive(path) != ZipLibrary::kOk)
        return 0;
    int found = -1;
    for (int i = 0; i < m_zip.GetEntryCount() && found < 0; ++i) {
        std::string name = m_zip.GetEntryName(i);
        if (HasFileEnding(name, ".pbk") || HasFileEnding(name, ".pcs"))
            found = i;
    }
    m_zip.CloseArchive();
    return found;
}

bool ZipImporter::ImportZipArchive(const std::string& path)
{
    // The state and the library's current archive are the process's one import.
    if (g_bImportRunning)
        return false;
    struct Running {
        Running() { g_bImportRunning = true; }
        ~Running() { g_bImportRunning = false; }
    } running;
    m_strNewDataFile.clear();
    int index = FindPictureBookEntry(path);
    if (index == -1) {
        Prompter::Current().Message(MessageText(MessageId::ZipHasNoPictureBook));
        return false;
    }
    return Import(path, index) == Outcome::Done;
}

ZipImporter::Outcome ZipImporter::Import(const std::string& path, int index)
{
    TemporaryFolder temp;
    m_state = ImportState();
    m_state.workPath = temp.Path();

    if (m_progressFactory)
        m_state.progress = m_progressFactory();
    ShowPhase(MessageId::ZipExtractingData);
    if (m_state.progress)
        m_state.progress->SetWaitCursor(true);

    if (temp.Path().empty() || m_zip.OpenArchive(path) != ZipLibrary::kOk)
        return Fail(MessageId::ZipCouldNotExtract);

    // Entries are written under their base names, so that is where the data
    // file lands, here and in the new folder alike.
    std::string dataName = ZipLibrary::ExtractedName(m_zip.GetEntryName(index));
    if (dataName.empty())
        return Fail(MessageId::ZipCouldNotExtract);
    // What the document would refuse to read is not written out first: the
    // declared size bounds the extraction, which stops where the data passes it.
    const int64_t dataBytes = m_zip.GetEntrySize(index);
    if (static_cast<uint64_t>(dataBytes) > CDocument::kMaxFileBytes)
        return Fail(MessageId::FailedToOpenDocument);
    if (m_zip.ExtractEntry(index, m_state.workPath, [this, dataBytes] { KeepResponsive(dataBytes); }) !=
        ZipLibrary::kOk)
        return Fail(IsCancelled() ? MessageId::ZipImportFailed : MessageId::ZipCouldNotExtract);
    if (m_state.progress)
        m_state.progress->SetBytesPercent(0); // the bar is the photographs' from here on
    std::string tempDataFile = PathInFolder(m_state.workPath, dataName);

    std::vector<std::string> loadMessages;
    std::unique_ptr<CCorvaleDoc> doc = LoadTemporaryDocument(tempDataFile, dataName, loadMessages);
    if (!doc)
        return Stop(loadMessages);
    std::string title = doc->m_strBookTitle;

    RecordSender(title);
    if (IsCancelled())
        return Fail(MessageId::ZipImportFailed);

    ShowPhase(MessageId::ZipPreparingFolder);
    if (ChooseTargetFolder(title, dataName) == Outcome::Stopped)
        return Outcome::Stopped;

    std::string newDataFile = PathInFolder(m_state.workPath, dataName);
    if (m_state.progress)
        m_state.progress->SetWaitCursor(true);
    ShowPhase(MessageId::ZipGatheringFiles);
    SelectNodeFiles(*doc);

    ShowPhase(MessageId::ZipImportingBook);
    int result = m_zip.ExtractSelected(m_state.workPath, [this] { ImportProgressCallback(); });
    m_zip.CloseArchive();
    if (result != ZipLibrary::kOk)
        return Fail(MessageId::ZipImportFailed);

    int err = 0;
    // The photographs are in place by now: the dialog stays painted, but
    // nothing is left for Cancel to spare.
    bool copied = CopyFileAtomically(tempDataFile, newDataFile, err, [this] { KeepResponsive(0); });
    std::error_code ec;
    fs::remove(tempDataFile, ec);
    if (!copied)
        return Fail(MessageId::ZipCopyFailed, std::to_string(err));

    m_strNewDataFile = newDataFile;
    if (ImportProgress* progress = m_state.progress.get()) {
        std::string count = std::to_string(m_state.selectedCount);
        progress->SetMessage(MessageText(MessageId::ZipOpeningBook));
        progress->SetFilesPercent(100);
        progress->SetFilesText(FormatMessageText(MessageId::ZipFilesImported, {count, count}));
        progress->SetBytesPercent(100);
        progress->Refresh();
        progress->Linger(kLingerMilliseconds);
    }
    if (m_openBook)
        m_openBook(newDataFile);
    if (m_state.progress)
        m_state.progress->SetWaitCursor(false);
    m_state.progress.reset();
    return Outcome::Done;
}

ZipImporter::Outcome ZipImporter::Fail(MessageId message, const std::string& argument)
{
    return Stop({FormatMessageText(message, {argument})});
}

ZipImporter::Outcome ZipImporter::Stop(const std::vector<std::string>& messages)
{
    if (m_state.progress)
        m_state.progress->SetWaitCursor(false);
    m_state.progress.reset();
    m_zip.CloseArchive();
    for (const std::string& text : messages)
        Prompter::Current().Message(text);
    return Outcome::Stopped;
}

std::unique_ptr<CCorvaleDoc> ZipImporter::LoadTemporaryDocument(const std::string& file,
                                                                const std::string& dataName,
                                                                std::vector<std::string>& messages)
{
    // Read as the viewer opens files, by the name's extension: an older
    // collection has its own layout and would not load as a Picture Book.
    std::unique_ptr<CCorvaleDoc> doc;
    if (TemplateForPath(dataName) == IDR_OLDCOLLECTION)
        doc = std::make_unique<COldCorvaleDoc>();
    else
        doc = std::make_unique<CCorvaleDoc>();
    HeldMessages held(messages);
    // Only the reading itself: this document is never the open book, never
    // announced to the panes and never moves the current directory.
    if (!doc->CDocument::OnOpenDocument(file))
        return nullptr;
    return doc;
}

void ZipImporter::RecordSender(const std::string& title)
{
    for (int i = 0; i < m_zip.GetEntryCount(); ++i) {
        std::string name = m_zip.GetEntryName(i);
        if (LowerCp1252(BaseName(name)) != kSenderScript)
            continue;
        if (m_zip.GetEntrySize(i) > kMaxSenderScriptBytes)
            continue;
        if (m_zip.ExtractEntry(i, m_state.workPath, [this] { KeepResponsive(0); }) != ZipLibrary::kOk)
            return;
        std::string file = PathInFolder(m_state.workPath, ZipLibrary::ExtractedName(name));
        std::string script;
        int err = 0;
        if (!ReadWholeFile(file, script, err))
            continue;
        OwnerFields owner = ReadOwnerFields(script);
        std::string section = PictureBookSection(title);
        if (!owner.name.empty())
            m_settings.WriteProfileString(section, kOwnerNameKey, owner.name);
        if (!owner.email.empty())
            m_settings.WriteProfileString(section, kOwnerEmailKey, owner.email);
        std::error_code ec;
        fs::remove(file, ec);
        return;
    }
}

ZipImporter::Outcome ZipImporter::ChooseTargetFolder(const std::string& title,
                                                     const std::string& dataName)
{
    std::string root = m_strRootFolder.empty() ? GetPictureBookRootPath(m_settings, m_strInstallFolder)
                                               : m_strRootFolder;
    if (root.empty())
        root = ".";
    // The title never names a path: whatever it holds, the folder lies
    // directly in the root.
    auto askOtherName = [&title] {
        return Prompter::Current().Ask(FormatMessageText(MessageId::ZipFolderExists, {Cp1252ToUtf8(title)}),
                                       PromptButtons::YesNo, PromptIcon::Question) == PromptReply::Yes;
    };
    switch (MakeNewFolder(root, ImportFolderName(title, dataName), askOtherName, m_state.workPath)) {
    case NewFolder::Made:
        return Outcome::Done;
    case NewFolder::Declined:
        return Stop({});
    case NewFolder::NotAFolder:
        return Fail(MessageId::ZipNotADirectory, m_state.workPath);
    case NewFolder::Failed:
        break;
    }
    return Fail(MessageId::ZipFailedToCreate, m_state.workPath);
}

void ZipImporter::SelectNodeFiles(CCorvaleDoc& doc)
{
    // One look-up table instead of a pass over every entry for every node;
    // the first entry of each base name is the one chosen, as in a walk.
    m_byBaseName.clear();
    for (int i = 0; i < m_zip.GetEntryCount(); ++i) {
        std::string name = m_zip.GetEntryName(i);
        if (!ZipLibrary::ExtractedName(name).empty())
            m_byBaseName.emplace(LowerCp1252(BaseName(name)), i);
    }
    doc.WalkNodes([this](CCorvaleDoc* d, CBaseNode* node, int depth) {
        SelectNodeFileCallback(d, node, depth);
    });
    m_byBaseName.clear();

    std::vector<std::string> names;
    for (int i = 0; i < m_zip.GetEntryCount(); ++i)
        if (m_zip.IsSelected(i))
            names.push_back(m_zip.GetEntryName(i));
    m_state.entryNames = std::move(names);
}

void ZipImporter::SelectNodeFileCallback(CCorvaleDoc*, CBaseNode* node, int)
{
    if (node->m_bGroup)
        return;
    auto found = m_byBaseName.find(LowerCp1252(BaseName(node->m_strFileName)));
    if (found == m_byBaseName.end())
        return;
    m_zip.SelectEntry(found->second, true);
    // A file that two nodes name is counted for each.
    ++m_state.selectedCount;
    m_state.selectedBytes = SaturatingAdd(m_state.selectedBytes, m_zip.GetEntrySize(found->second));
}

void ZipImporter::ImportProgressCallback()
{
    ImportProgress* progress = m_state.progress.get();
    if (!progress || m_state.selectedCount <= 0 || m_state.selectedBytes <= 0 || StopIfCancelled())
        return;
    int files = 0;
    int64_t bytes = 0;
    if (m_zip.GetProgress(files, bytes)) {
        if (files >= 0 && static_cast<size_t>(files) < m_state.entryNames.size())
            progress->SetFileName(Cp1252ToUtf8(m_state.entryNames[static_cast<size_t>(files)]));
        progress->SetFilesPercent(Percent(files, m_state.selectedCount));
        progress->SetFilesText(FormatMessageText(
            MessageId::ZipFilesImported,
            {std::to_string(files), std::to_string(m_state.selectedCount)}));
        progress->SetBytesPercent(Percent(bytes, m_state.selectedBytes));
        progress->SetBytesText(FormatMessageText(MessageId::ZipBytesImported, {std::to_string(bytes)}));
        progress->Refresh();
    }
    progress->ProcessInput();
}

bool ZipImporter::IsCancelled() const
{
    return m_state.progress && m_state.progress->IsCancelled();
}

bool ZipImporter::StopIfCancelled()
{
    if (!IsCancelled())
        return false;
    m_zip.AbortExtraction();
    return true;
}

void ZipImporter::KeepResponsive(int64_t expectedBytes)
{
    ImportProgress* progress = m_state.progress.get();
    if (!progress || StopIfCancelled())
        return;
    int files = 0;
    int64_t bytes = 0;
    if (expectedBytes > 0 && m_zip.GetProgress(files, bytes))
        progress->SetBytesPercent(Percent(bytes, expectedBytes));
    progress->ProcessInput();
}

void ZipImporter::ShowPhase(MessageId message)
{
    if (!m_state.progress)
        return;
    m_state.progress->SetMessage(MessageText(message));
    m_state.progress->Refresh();
}
