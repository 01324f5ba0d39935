#include "model/DocTemplates.h"

#include "model/OldCorvaleDoc.h"
#include "platform/FileSystem.h"

#include <strings.h>

const DocTemplateId kDocTemplates[3] = {IDR_PICTUREBOOK, IDR_OLDCOLLECTION, IDR_MEDIAVIEW};

namespace {

const char* DocStrings(DocTemplateId id)
{
    switch (id) {
    case IDR_PICTUREBOOK:
        return "\nMultimedia Photo Book\nMultimedia Photo Book\nMultimedia Photo Book (*.pbk)\n.pbk\n"
               "Corvale.Document\nMultimedia Photo Book";
    case IDR_OLDCOLLECTION:
        return "\nOld Photo Collection Set\nOld Photo Collection Set\nOld Photo Collection Set "
               "(*.pcs)\n.pcs\nCorvale.Document\nOld Photo Collection Set";
    case IDR_MEDIAVIEW:
        return "\nMultimedia Photo Book\n\n\n\nSorvane.Document\nMultimedia Photo Book";
    }
    return "";
}

bool HasExtension(const std::string& path, const char* ext)
{
    size_t n = 4;
    return path.size() >= n && strcasecmp(path.c_str() + path.size() - n, ext) == 0;
}

// The document class that opens `path`, by its extension.
std::unique_ptr<CCorvaleDoc> NewDocumentFor(const std::string& path)
{
    if (TemplateForPath(path) == IDR_OLDCOLLECTION)
        return std::make_unique<COldCorvaleDoc>();
    return std::make_unique<CCorvaleDoc>();
}

} // namespace

std::string GetDocString(DocTemplateId id, DocStringIndex index)
{
    std::string all = DocStrings(id);
    size_t begin = 0;
    for (int i = 0; i < index; ++i) {
        size_t nl = all.find('\n', begin);
        if (nl == std::string::npos)
            return std::string();
        begin = nl + 1;
    }
    size_t end = all.find('\n', begin);
    return all.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

int TemplateForPath(const std::string& path)
{
    if (HasExtension(path, ".pbk"))
        return IDR_PICTUREBOOK;
    if (HasExtension(path, ".pcs"))
        return IDR_OLDCOLLECTION;
    return 0;
}

std::unique_ptr<CCorvaleDoc> ReadBookFile(const std::string& path)
{
    std::unique_ptr<CCorvaleDoc> doc = NewDocumentFor(path);
    if (!doc->CDocument::OnOpenDocument(path))
        return nullptr;
    doc->m_strBookFolder = FolderOfPath(path);
    return doc;
}

std::unique_ptr<CCorvaleDoc> OpenBookFile(const std::string& path)
{
    std::unique_ptr<CCorvaleDoc> doc = NewDocumentFor(path);
    if (!doc->OnOpenDocument(path))
        return nullptr;
    return doc;
}
