#include "exchange/BookExporter.h"

#include "exchange/BrowserPictures.h"
#include "exchange/ExportPages.h"
#include "exchange/ImportFolders.h"
#include "image/ImageFactory.h"
#include "image/SECImage.h"
#include "model/CorvaleDoc.h"
#include "model/NodeDescription.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/PathResolver.h"
#include "platform/Prompter.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const char kIndexPage[] = "index.html";
const char kBookJson[] = "book.json";
const char kThumbnails[] = "thumbnails";
// Pictures larger than this are copied but not drawn: no thumbnail, no browser copy.
constexpr size_t kMaxPictureBytes = size_t(256) << 20;
constexpr size_t kCopyBlock = size_t(1) << 20;

std::string Join(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : folder + "/" + name;
}

std::string BaseName(const std::string& path)
{
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Stem(const std::string& name)
{
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsInside(const fs::path& path, const fs::path& folder)
{
    fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

int Percent(int64_t part, int64_t whole)
{
    if (whole <= 0)
        return 0;
    double percent = 100.0 * static_cast<double>(part) / static_cast<double>(whole);
    return percent >= 100 ? 100 : percent <= 0 ? 0 : static_cast<int>(percent);
}

} // namespace

// One file to copy, and every node that names it.
struct BookExporter::CopyJob {
    std::string source;    // canonical path
    std::string imageName; // the name the book gives it, which picks the picture's class
    std::string folder;    // where it goes, relative
    std::string target;    // relative
    int64_t size = 0;
    bool picture = false;
    std::vector<ExportedNode*> nodes;

    void MarkUnreadable()
    {
        for (ExportedNode* node : nodes) {
            node->file = ExportedFile::Unreadable;
            node->path.clear();
        }
    }
};

BookExporter::BookExporter(const CCorvaleDoc& doc, std::string bookFolder, Prompter& prompter)
    : m_doc(doc), m_strBookFolder(bookFolder.empty() ? std::string(".") : std::move(bookFolder)),
      m_prompter(prompter)
{
    std::error_code ec;
    fs::path folder = fs::weakly_canonical(fs::absolute(m_strBookFolder, ec), ec);
    m_strCanonicalBookFolder = ec ? std::string() : folder.string();
}

BookExporter::~BookExporter() = default;

BookExporter::Result BookExporter::Export(const std::string& parent, const std::string& name)
{
    const std::string where = parent.empty() ? std::string(".") : parent;
    auto askOtherName = [&] {
        return m_prompter.Ask(FormatMessageText(MessageId::ExportFolderExists, {PathInFolder(where, name)}),
                              PromptButtons::YesNo, PromptIcon::Question) == PromptReply::Yes;
    };
    std::string tried;
    switch (MakeNewFolder(where, name, askOtherName, tried)) {
    case NewFolder::Made:
        break;
    case NewFolder::Declined:
        return Result::Declined;
    case NewFolder::NotAFolder:
        m_prompter.Message(FormatMessageText(MessageId::ZipNotADirectory, {tried}));
        return Result::Failed;
    case NewFolder::Failed:
        m_prompter.Message(FormatMessageText(MessageId::ZipFailedToCreate, {tried}));
        return Result::Failed;
    }
    m_strFolder = tried;

    if (m_progressFactory)
        m_progress = m_progressFactory();
    if (m_progress) {
        m_progress->SetWaitCursor(true);
        m_progress->SetMessage(MessageText(MessageId::ExportCopying));
        m_progress->Refresh();
    }

    m_book.title = Cp1252ToUtf8(m_doc.m_strBookTitle);
    m_book.ownerName = Cp1252ToUtf8(m_doc.m_strOwnerName);
    m_book.ownerEmail = Cp1252ToUtf8(m_doc.m_strOwnerEmail);
    UniqueNames& top = NamesIn("");
    for (const char* reserved : {kIndexPage, kBookJson, kThumbnails})
        top.Reserve(reserved);
    Plan(m_doc.m_root, m_book.root, "");
    m_book.root.page = kIndexPage;
    if (m_nPhotographs > m_nOnePageLimit) {
        int number = 0;
        AssignPages(m_book.root, number);
    }

    Step step = MakeGroupFolders(m_book.root);
    if (step == Step::Go)
        step = CopyFiles();
    if (step == Step::Go)
        step = WriteIndex();

    if (m_progress) {
        m_progress->SetWaitCursor(false);
        m_progress.reset();
    }
    if (step == Step::Go)
        return Result::Done;
    std::error_code ec;
    fs::remove_all(m_strFolder, ec);
    if (step == Step::Cancelled)
        return Result::Cancelled;
    m_prompter.Message(m_strFailure);
    return Result::Failed;
}

void BookExporter::Plan(const CBaseNode& node, ExportedNode& out, const std::string& folder)
{
    out.kind = node.IsMedia() ? ExportedNode::Kind::Media
             : node.m_bGroup  ? ExportedNode::Kind::Group
                              : ExportedNode::Kind::Photo;
    out.caption = Cp1252ToUtf8(node.m_strCaption);
    out.text = Cp1252ToUtf8(node.m_strText);
    std::string filesFolder = folder;
    if (out.IsGroup() && &node != &m_doc.m_root) {
        out.folder = Join(folder, NamesIn(folder).Take(out.caption, "Group"));
        filesFolder = out.folder;
    }
    if (!node.m_strFileName.empty())
        PlanFile(node, out, filesFolder);
    if (!node.IsPhoto())
        return;
    const auto& photo = static_cast<const CPhotoNode&>(node);
    for (const auto& media : photo.m_media) {
        out.media.push_back(std::make_unique<ExportedNode>());
        Plan(*media, *out.media.back(), filesFolder);
    }
    for (const auto& child : photo.m_photos) {
        out.photos.push_back(std::make_unique<ExportedNode>());
        Plan(*child, *out.photos.back(), filesFolder);
    }
}

void BookExporter::PlanFile(const CBaseNode& node, ExportedNode& out, const std::string& folder)
{
    out.storedName = AnyTextToUtf8(node.m_strFileName);
    out.format = DescribeDataFormat(node.m_strFileName);
    if (node.IsMedia())
        out.mediaType = MediaTypeName(static_cast<const CMediaNode&>(node).m_nMediaType);
    else
        ++m_nPhotographs;

    std::string path = PathResolver::Resolve(node.m_strFileName, m_strBookFolder);
    std::error_code ec;
    fs::path real = path.empty() ? fs::path() : fs::canonical(path, ec);
    if (path.empty() || ec) {
        out.file = ExportedFile::Missing;
        return;
    }
    // A book names files anywhere; only its own go into a folder meant for
    // giving away.
    if (m_strCanonicalBookFolder.empty() || !IsInside(real, m_strCanonicalBookFolder)) {
        out.file = ExportedFile::Outside;
        return;
    }
    if (!fs::is_regular_file(real, ec)) {
        out.file = ExportedFile::Unreadable;
        return;
    }
    out.file = ExportedFile::Copied;
    auto found = m_jobBySource.find(real.string());
    if (found != m_jobBySource.end()) {
        out.path = found->second->target;
        found->second->nodes.push_back(&out);
        return;
    }
    auto job = std::make_unique<CopyJob>();
    job->source = real.string();
    job->imageName = node.m_strFileName;
    job->folder = folder;
    job->target = Join(folder, NamesIn(folder).Take(BaseName(path), "file"));
    uintmax_t size = fs::file_size(real, ec);
    job->size = ec ? 0 : static_cast<int64_t>(size);
    job->picture = !node.IsMedia() && CreateImageForFileName(node.m_strFileName) != nullptr;
    job->nodes.push_back(&out);
    out.path = job->target;
    m_nTotalBytes += job->size;
    m_jobBySource.emplace(job->source, job.get());
    m_jobs.push_back(std::move(job));
}

void BookExporter::AssignPages(ExportedNode& node, int& number)
{
    if (node.IsGroup() && &node != &m_book.root)
        node.page = NamesIn("").Take("group" + std::to_string(++number) + ".html", "group.html");
    for (auto& child : node.photos)
        AssignPages(*child, number);
}

BookExporter::Step BookExporter::MakeGroupFolders(const ExportedNode& node)
{
    if (node.IsGroup() && !node.folder.empty()) {
        std::error_code ec;
        if (!fs::create_directory(Absolute(node.folder), ec))
            return FailWrite(node.folder, ec ? ec.value() : EEXIST);
    }
    for (const auto& child : node.photos)
        if (MakeGroupFolders(*child) != Step::Go)
            return Step::Failed;
    return Step::Go;
}

BookExporter::Step BookExporter::CopyFiles()
{
    for (auto& job : m_jobs) {
        Step step = CopyOne(*job);
        if (step != Step::Go)
            return step;
        ++m_nFilesDone;
    }
    return Step::Go;
}

BookExporter::Step BookExporter::CopyOne(CopyJob& job)
{
    ShowProgress(job.target);
    if (Cancelled())
        return Step::Cancelled;
    UniqueFd in(OpenRegularFileForReading(job.source));
    if (!in.IsOpen()) {
        job.MarkUnreadable();
        return Step::Go;
    }
    AtomicFileWriter out;
    if (!out.Open(Absolute(job.target)))
        return FailWrite(job.target, out.Error());
    std::vector<uint8_t> kept;
    bool keep = job.picture;
    std::vector<char> block(kCopyBlock);
    for (;;) {
        ssize_t n = in.Read(block.data(), block.size());
        if (n == 0)
            break;
        if (n < 0) {
            out.Abort();
            job.MarkUnreadable();
            return Step::Go;
        }
        if (!out.Write(block.data(), static_cast<size_t>(n)))
            return FailWrite(job.target, out.Error());
        if (keep && kept.size() + static_cast<size_t>(n) > kMaxPictureBytes) {
            keep = false;
            std::vector<uint8_t>().swap(kept);
        }
        if (keep)
            kept.insert(kept.end(), block.data(), block.data() + n);
        m_nBytesDone += n;
        ShowProgress(job.target);
        if (Cancelled())
            return Step::Cancelled;
    }
    if (!out.Commit())
        return FailWrite(job.target, out.Error());
    return keep ? MakeBrowserPictures(job, kept) : Step::Go;
}

BookExporter::Step BookExporter::MakeBrowserPictures(CopyJob& job, const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<SECImage> picture = LoadImageFromBytes(job.imageName, bytes);
    if (!picture)
        return Step::Go; // the page links the file by its name
    std::string stem = Stem(BaseName(job.target));
    std::string jpeg;
    uint32_t width = 0, height = 0;
    if (MakeThumbnail(*picture, kThumbnailSize, jpeg, width, height)) {
        std::error_code ec;
        fs::create_directory(Absolute(kThumbnails), ec);
        std::string thumbnail = Join(kThumbnails, NamesIn(kThumbnails).Take(stem + ".jpg", "picture.jpg"));
        if (WriteFile(thumbnail, jpeg) != Step::Go)
            return Step::Failed;
        for (ExportedNode* node : job.nodes) {
            node->thumbnail = thumbnail;
            node->thumbnailWidth = width;
            node->thumbnailHeight = height;
        }
    }
    BrowserCopy copy;
    if (NeedsBrowserCopy(job.imageName) && MakeBrowserCopy(*picture, copy)) {
        std::string shown = Join(job.folder, NamesIn(job.folder).Take(stem + copy.extension, "picture"));
        if (WriteFile(shown, copy.bytes) != Step::Go)
            return Step::Failed;
        for (ExportedNode* node : job.nodes)
            node->shownAs = shown;
    }
    ShowProgress(job.target);
    return Cancelled() ? Step::Cancelled : Step::Go;
}

BookExporter::Step BookExporter::WriteIndex()
{
    if (m_progress) {
        m_progress->SetMessage(MessageText(MessageId::ExportWritingIndex));
        m_progress->Refresh();
    }
    m_notExported.clear();
    std::function<void(const ExportedNode&)> collect = [&](const ExportedNode& node) {
        std::string problem = ExportProblemText(node);
        if (!problem.empty())
            m_notExported.push_back(problem);
        for (const auto& media : node.media)
            collect(*media);
        for (const auto& child : node.photos)
            collect(*child);
    };
    collect(m_book.root);
    if (WriteFile(kBookJson, RenderExportJson(m_book)) != Step::Go)
        return Step::Failed;
    for (const ExportPage& page : RenderExportPages(m_book))
        if (WriteFile(page.name, page.html) != Step::Go)
            return Step::Failed;
    return Step::Go;
}

BookExporter::Step BookExporter::WriteFile(const std::string& relative, const std::string& bytes)
{
    int err = 0;
    if (!WriteFileAtomically(Absolute(relative), bytes, err))
        return FailWrite(relative, err);
    return Step::Go;
}

BookExporter::Step BookExporter::FailWrite(const std::string& relative, int err)
{
    m_strFailure = FormatMessageText(FileErrorMessage(FileErrorCauseFromErrno(err)), {Absolute(relative)});
    return Step::Failed;
}

void BookExporter::ShowProgress(const std::string& fileName)
{
    if (!m_progress)
        return;
    m_progress->SetFileName(fileName);
    m_progress->SetFilesText(FormatMessageText(
        MessageId::ExportFilesDone, {std::to_string(m_nFilesDone), std::to_string(m_jobs.size())}));
    m_progress->SetFilesPercent(Percent(static_cast<int64_t>(m_nFilesDone), static_cast<int64_t>(m_jobs.size())));
    m_progress->SetBytesText(FormatMessageText(MessageId::ExportBytesDone, {std::to_string(m_nBytesDone)}));
    m_progress->SetBytesPercent(Percent(m_nBytesDone, m_nTotalBytes));
    m_progress->Refresh();
    m_progress->ProcessInput();
}

bool BookExporter::Cancelled()
{
    return m_progress && m_progress->IsCancelled();
}

std::string BookExporter::Absolute(const std::string& relative) const
{
    return PathInFolder(m_strFolder, relative);
}
