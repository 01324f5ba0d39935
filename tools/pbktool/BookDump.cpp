#include "BookDump.h"

#include "exchange/WebText.h"
#include "model/CorvaleDoc.h"
#include "model/NodeDescription.h"
#include "platform/CodePage.h"

namespace {

void AppendQuoted(std::string& out, const std::string& cp1252)
{
    out += JsonQuoted(Cp1252ToUtf8(cp1252));
}

void DumpNodeText(std::string& out, const CBaseNode* node, int depth)
{
    std::string indent(static_cast<size_t>(depth) * 2, ' ');
    out += indent;
    out += NodeKindName(node);
    out += ' ';
    AppendQuoted(out, node->m_strCaption);
    if (!node->m_strFileName.empty()) {
        out += " file=";
        AppendQuoted(out, node->m_strFileName);
    }
    if (node->IsMedia()) {
        int32_t type = static_cast<const CMediaNode*>(node)->m_nMediaType;
        out += " media=";
        out += std::to_string(type);
        out += " (";
        out += MediaTypeName(type);
        out += ')';
    }
    out += '\n';
    if (!node->m_strText.empty()) {
        out += indent;
        out += "  text: ";
        AppendQuoted(out, node->m_strText);
        out += '\n';
    }
    if (!node->IsPhoto())
        return;
    const auto* photo = static_cast<const CPhotoNode*>(node);
    for (const auto& media : photo->m_media)
        DumpNodeText(out, media.get(), depth + 1);
    for (const auto& child : photo->m_photos)
        DumpNodeText(out, child.get(), depth + 1);
}

void DumpNodeJson(std::string& out, const CBaseNode* node)
{
    out += "{\"kind\":\"";
    out += NodeKindName(node);
    out += "\",\"caption\":";
    AppendQuoted(out, node->m_strCaption);
    out += ",\"fileName\":";
    AppendQuoted(out, node->m_strFileName);
    out += ",\"text\":";
    AppendQuoted(out, node->m_strText);
    if (node->IsMedia()) {
        out += ",\"mediaType\":";
        out += std::to_string(static_cast<const CMediaNode*>(node)->m_nMediaType);
    }
    if (node->IsPhoto()) {
        const auto* photo = static_cast<const CPhotoNode*>(node);
        out += ",\"media\":[";
        for (size_t i = 0; i < photo->m_media.size(); ++i) {
            if (i)
                out += ',';
            DumpNodeJson(out, photo->m_media[i].get());
        }
        out += "],\"photos\":[";
        for (size_t i = 0; i < photo->m_photos.size(); ++i) {
            if (i)
                out += ',';
            DumpNodeJson(out, photo->m_photos[i].get());
        }
        out += ']';
    }
    out += '}';
}

} // namespace

std::string DumpBookText(CCorvaleDoc& doc)
{
    std::string out = "title: ";
    AppendQuoted(out, doc.m_strBookTitle);
    out += "\nowner: ";
    AppendQuoted(out, doc.m_strOwnerName);
    out += "\nemail: ";
    AppendQuoted(out, doc.m_strOwnerEmail);
    out += '\n';
    DumpNodeText(out, doc.GetRoot(), 0);
    return out;
}

std::string DumpBookJson(CCorvaleDoc& doc)
{
    std::string out = "{\"title\":";
    AppendQuoted(out, doc.m_strBookTitle);
    out += ",\"ownerName\":";
    AppendQuoted(out, doc.m_strOwnerName);
    out += ",\"ownerEmail\":";
    AppendQuoted(out, doc.m_strOwnerEmail);
    out += ",\"root\":";
    DumpNodeJson(out, doc.GetRoot());
    out += "}\n";
    return out;
}
