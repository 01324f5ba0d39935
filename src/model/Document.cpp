#include "model/Document.h"

#include "model/Archive.h"
#include "model/DocTemplates.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::function<void(const std::string&)> CDocument::s_addToRecentFileList;

namespace {

enum class ReadResult { Ok, FileError, TooLarge };

ReadResult ReadDocumentFile(const std::string& path, std::string& bytes, int& err)
{
    // A pipe would be waited on for ever and a device read as an empty book:
    // only a regular file is a book, anything else is refused as a folder is.
    int fd = OpenRegularFileForReading(path, err);
    if (fd < 0) {
        if (err == EISDIR)
            err = EACCES;
        return ReadResult::FileError;
    }
    struct stat st;
    ReadResult result = ReadResult::Ok;
    if (::fstat(fd, &st) != 0) {
        err = errno;
        result = ReadResult::FileError;
    } else if (static_cast<unsigned long long>(st.st_size) > CDocument::kMaxFileBytes) {
        result = ReadResult::TooLarge;
    } else {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::read(fd, &bytes[done], bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                err = errno;
                result = ReadResult::FileError;
                break;
            }
            if (n == 0)
                break; // the file shrank while we read: take what is there
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return result;
}

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

void ReportFileError(int err, const std::string& path)
{
    Prompter::Current().Message(
        FormatMessageText(FileErrorMessage(FileErrorCauseFromErrno(err)), {path}));
}

} // namespace

CDocument::CDocument() = default;
CDocument::~CDocument() = default;

void CDocument::SetPathName(const std::string& path, bool addToRecentFiles)
{
    m_strPathName = path;
    size_t slash = path.find_last_of("/\\");
    m_strTitle = slash == std::string::npos ? path : path.substr(slash + 1);
    if (addToRecentFiles && s_addToRecentFileList)
        s_addToRecentFileList(path);
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
    try {
        CArchive ar(data, size);
        Serialize(ar);
        return true;
    } catch (const CArchiveException&) {
        DeleteContents();
        Prompter::Current().Message(MessageText(MessageId::UnexpectedFileFormat));
    } catch (const std::exception&) {
        DeleteContents();
        Prompter::Current().Message(MessageText(MessageId::FailedToOpenDocument));
    }
    return false;
}

bool CDocument::OnOpenDocument(const std::string& path)
{
    DeleteContents();
    std::string bytes;
    int err = 0;
    switch (ReadDocumentFile(path, bytes, err)) {
    case ReadResult::FileError:
        ReportFileError(err, path);
        return false;
    case ReadResult::TooLarge:
        Prompter::Current().Message(MessageText(MessageId::FailedToOpenDocument));
        return false;
    case ReadResult::Ok:
        break;
    }
    SetModifiedFlag(true);
    if (!bytes.empty() && !LoadFromBytes(bytes.data(), bytes.size()))
        return false;
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path)
{
    RemoveStaleTemporaries(FolderOfPath(path));
    AtomicFileWriter file;
    if (!file.Open(path)) {
        ReportFileError(file.Error(), path);
        return false;
    }
    FileSink sink(file);
    try {
        CArchive ar(sink);
        Serialize(ar);
        ar.Flush();
    } catch (const FileWriteError&) {
        ReportFileError(file.Error(), path);
        return false;
    } catch (const std::exception&) {
        Prompter::Current().Message(MessageText(MessageId::FailedToSaveDocument));
        return false;
    }
    if (!file.Commit()) {
        ReportFileError(file.Error(), path);
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
        if (!Prompter::Current().ChooseSaveFile("Save As",
                                                GetDocString(IDR_PICTUREBOOK, filterName),
                                                newName))
            return false;
    } else {
        newName = AdjustSaveName(newName);
    }

    WaitCursor wait;
    // A failed save leaves nothing behind: the old file (if any) is untouched
    // and the temporary file is gone, so there is nothing to delete here.
    if (!OnSaveDocument(newName))
        return false;
    if (replace)
        SetPathName(newName);
    return true;
}
