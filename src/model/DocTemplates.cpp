#include "model/DocTemplates.h"

#include "model/OldCorvaleDoc.h"
#include "platform/SystemFolders.h"

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

std::unique_ptr<CCorvaleDoc> OpenBookFile(const std::string& path)
{
    std::unique_ptr<CCorvaleDoc> doc;
    if (TemplateForPath(path) == IDR_OLDCOLLECTION)
        doc = std::make_unique<COldCorvaleDoc>();
    else
        doc = std::make_unique<CCorvaleDoc>();
    std::string cwd = SystemFolders::CurrentDirectory();
    bool ok = doc->OnOpenDocument(path);
    SystemFolders::SetCurrentDirectory(cwd);
    if (!ok)
        return nullptr;
    return doc;
}
