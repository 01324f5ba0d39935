#include "model/Document.h"

#include "model/Archive.h"
#include "model/DocTemplates.h"
#include "model/NodeHeap.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"
#include "platform/UniqueFd.h"

#include <cerrno>

namespace {

enum class ReadResult { Ok, FileError, TooLarge };

struct FileReadError {};

// A document file, read as the archive asks for it: the whole file is never
// held in memory, which for a large book is as much again as its nodes.
class DocumentFile : public CArchiveSource {
public:
    ReadResult Open(const std::string& path)
    {
        // A pipe would be waited on for ever and a device read as an empty
        // book: only a regular file is a book, anything else is refused as a
        // folder is.
        m_file.Reset(OpenRegularFileForReading(path, m_nError));
        if (!m_file.IsOpen()) {
            if (m_nError == EISDIR)
                m_nError = EACCES;
            return ReadResult::FileError;
        }
        uint64_t size = 0;
        if (!m_file.Size(size)) {
            m_nError = errno;
            return ReadResult::FileError;
        }
        if (size > CDocument::kMaxFileBytes)
            return ReadResult::TooLarge;
        m_nSize = static_cast<size_t>(size);
        return ReadResult::Ok;
    }

    // A file that shrinks while it is read simply ends sooner.
    size_t Read(char* data, size_t size) override
    {
        ssize_t n = m_file.Read(data, size);
        if (n < 0) {
            m_nError = errno;
            throw FileReadError();
        }
        return static_cast<size_t>(n);
    }

    size_t Size() const { return m_nSize; }
    int Error() const { return m_nError; }

private:
    UniqueFd m_file;
    size_t m_nSize = 0;
    int m_nError = 0;
};

struct FileWriteError {};

class FileSink : public CArchiveSink {
public:
    explicit FileSink(AtomicFileWriter& file) : m_file(file) {}
    void Write(const char* data, size_t size) override
    {
        if (!m_file.Write(data, size))
            throw FileWriteError();
    }

private:
    AtomicFileWriter& m_file;
};

void ReportFileError(Prompter& prompter, int err, const std::string& path)
{
    prompter.Message(
        FormatMessageText(FileErrorMessage(FileErrorCauseFromErrno(err)), {path}));
}

} // namespace

CDocument::CDocument() = default;
CDocument::~CDocument() = default;

Prompter& CDocument::GetPrompter() const
{
    return m_pPrompter ? *m_pPrompter : Prompter::Current();
}

void CDocument::SetPathName(const std::string& path, bool addToRecentFiles)
{
    m_strPathName = path;
    size_t slash = path.find_last_of("/\\");
    m_strTitle = slash == std::string::npos ? path : path.substr(slash + 1);
    if (addToRecentFiles && m_addToRecentFileList)
        m_addToRecentFileList(path);
}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    m_bModified = false;
    return true;
}

bool CDocument::LoadFromBytes(const void* data, size_t size)
{
    CArchive ar(data, size);
    return LoadFrom(ar);
}

bool CDocument::LoadFrom(CArchive& ar)
{
    NodeHeap::ReadingScope reading(ar.Remaining());
    try {
        Serialize(ar);
        return true;
    } catch (const CArchiveException&) {
        DeleteContents();
        GetPrompter().Message(MessageText(MessageId::UnexpectedFileFormat));
    } catch (const std::exception&) {
        DeleteContents();
        GetPrompter().Message(MessageText(MessageId::FailedToOpenDocument));
    }
    return false;
}

bool CDocument::OnOpenDocument(const std::string& path)
{
    DeleteContents();
    DocumentFile file;
    switch (file.Open(path)) {
    case ReadResult::FileError:
        ReportFileError(GetPrompter(), file.Error(), path);
        return false;
    case ReadResult::TooLarge:
        GetPrompter().Message(MessageText(MessageId::FailedToOpenDocument));
        return false;
    case ReadResult::Ok:
        break;
    }
    SetModifiedFlag(true);
    if (file.Size() != 0) {
        try {
            CArchive ar(file, file.Size());
            if (!LoadFrom(ar))
                return false;
        } catch (const FileReadError&) {
            DeleteContents();
            ReportFileError(GetPrompter(), file.Error(), path);
            return false;
        }
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path)
{
    RemoveStaleTemporaries(FolderOfPath(path));
    AtomicFileWriter file;
    if (!file.Open(path)) {
        ReportFileError(GetPrompter(), file.Error(), path);
        return false;
    }
    FileSink sink(file);
    try {
        CArchive ar(sink);
        Serialize(ar);
        ar.Flush();
    } catch (const FileWriteError&) {
        ReportFileError(GetPrompter(), file.Error(), path);
        return false;
    } catch (const std::exception&) {
        GetPrompter().Message(MessageText(MessageId::FailedToSaveDocument));
        return false;
    }
    if (!file.Commit()) {
        ReportFileError(GetPrompter(), file.Error(), path);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::DoSave(const std::string& path, bool replace)
{
    std::string newName = path;
    if (newName.empty()) {
        newName = m_strPathName;
        if (replace && newName.empty()) {
            newName = m_strTitle.substr(0, m_strTitle.find_first_of(" #%;/\\"));
            newName += GetDocString(IDR_PICTUREBOOK, filterExt);
        }
        newName = AdjustSaveName(newName);
        if (!GetPrompter().ChooseSaveFile("Save As",
                                                GetDocString(IDR_PICTUREBOOK, filterName),
                                                newName))
            return false;
    } else {
        newName = AdjustSaveName(newName);
    }

    WaitCursor wait(GetPrompter());
    // A failed save leaves nothing behind: the old file (if any) is untouched
    // and the temporary file is gone, so there is nothing to delete here.
    if (!OnSaveDocument(newName))
        return false;
    if (replace)
        SetPathName(newName);
    return true;
}
