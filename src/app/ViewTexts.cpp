#include "app/ViewTexts.h"

#include "model/CorvaleDoc.h"
#include "model/NodeDescription.h"
#include "platform/CodePage.h"
#include "platform/PathResolver.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

std::string SizeText(int32_t w, int32_t h)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d%c%d", w, 'x', h);
    return buf;
}

int32_t FileSizeOf(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return 0;
    return static_cast<int32_t>(st.st_size);
}

} // namespace

CBaseNode* ShownNodeFor(CBaseNode* selected)
{
    CBaseNode* shown = selected;
    while (shown && shown->IsMedia())
        shown = shown->m_pParent;
    return shown;
}

std::string BuildPlaceholderText(const CCorvaleDoc& doc, const CBaseNode* selected,
                                 const CBaseNode* shown)
{
    std::string text = "Current node is ";
    if (!selected)
        text += "N/A";
    else if (selected == &doc.m_root)
        text = "Picture Book:\n" + doc.GetPathName();
    else if (selected->m_bGroup)
        text = Cp1252ToUtf8(selected->m_strCaption);
    else if (!selected->m_strFileName.empty())
        text += "\n" + Cp1252ToUtf8(selected->m_strFileName);
    else
        text += "N/A";

    if (!doc.m_strBookTitle.empty())
        text += "\n" + Cp1252ToUtf8(doc.m_strBookTitle);
    if (selected == &doc.m_root && !doc.m_strOwnerName.empty()) {
        text += "\n\nSent by: " + Cp1252ToUtf8(doc.m_strOwnerName);
        if (!doc.m_strOwnerEmail.empty())
            text += " (" + Cp1252ToUtf8(doc.m_strOwnerEmail) + ")";
    }
    if (shown && !shown->m_bGroup)
        text += "\n** Photo Failed to load **";
    return text;
}

std::string PhotoWindowTitle(const CCorvaleDoc& doc, const CBaseNode* shown)
{
    if (shown && !shown->m_strCaption.empty())
        return Cp1252ToUtf8(shown->m_strCaption);
    return Cp1252ToUtf8(doc.m_strBookTitle);
}

std::string StatusSizeText(const CCorvaleDoc* doc)
{
    if (!doc || !doc->m_pCurrent || !doc->m_pCurrent->IsPhoto() || doc->m_pCurrent->m_bGroup)
        return "      ";
    const auto* photo = static_cast<const CPhotoNode*>(doc->m_pCurrent);
    CSize picture = photo->m_sizePicture;
    CSize display = photo->m_sizeDisplay;
    std::string text = SizeText(picture.cx, picture.cy);
    if (display != picture && display != CSize())
        text += "  (displayed: " + SizeText(display.cx, display.cy) + ")";
    return text;
}

PropertiesValues FillProperties(const CCorvaleDoc& doc, const CBaseNode* node)
{
    PropertiesValues v;
    if (!node)
        return v;
    v.formatLabel = "Internal Data Format";
    if (node == &doc.m_root) {
        v.kind = DescribeNodeKind(node);
        const std::string& path = doc.GetPathName();
        size_t slash = path.find_last_of("/\\");
        v.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
        if (!doc.m_strOwnerName.empty()) {
            v.formatLabel = "Sent by";
            v.formatValue = Cp1252ToUtf8(doc.m_strOwnerName);
            if (!doc.m_strOwnerEmail.empty())
                v.formatValue += " (" + Cp1252ToUtf8(doc.m_strOwnerEmail) + ")";
        }
        v.fileSize = FileSizeOf(path);
        return v;
    }
    v.kind = DescribeNodeKind(node);
    v.fileName = Cp1252ToUtf8(node->m_strFileName);
    v.formatValue = DescribeDataFormat(node->m_strFileName);
    // Stored names ignore letter case; find the file as the picture loader does.
    v.fileSize = FileSizeOf(PathResolver::Resolve(node->m_strFileName, doc.m_strBookFolder));
    if (node->IsPhoto()) {
        const auto* photo = static_cast<const CPhotoNode*>(node);
        char buf[128];
        std::snprintf(buf, sizeof buf, "Actual size: %d%c%d  Displayed size: %d%c%d",
                      photo->m_sizePicture.cx, 'x', photo->m_sizePicture.cy,
                      photo->m_sizeDisplay.cx, 'x', photo->m_sizeDisplay.cy);
        v.sizes = buf;
    }
    return v;
}
