#include "model/BaseNode.h"

#include "model/Archive.h"
#include "model/NodeHeap.h"

const CRuntimeClass CBaseNode::classCBaseNode = {"CBaseNode", 1, nullptr, nullptr};

CBaseNode::CBaseNode() = default;

void* CBaseNode::operator new(size_t size)
{
    return NodeHeap::Allocate(size);
}

void CBaseNode::operator delete(void* node, size_t size)
{
    NodeHeap::Free(node, size);
}
CBaseNode::~CBaseNode() = default;

void TrimWhiteSpace(std::string& text)
{
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    size_t begin = 0;
    while (begin < text.size() && isSpace(text[begin]))
        ++begin;
    size_t end = text.size();
    while (end > begin && isSpace(text[end - 1]))
        --end;
    if (begin != 0 || end != text.size())
        text = text.substr(begin, end - begin);
}

void CBaseNode::SetFileName(const std::string& name)
{
    m_strFileName = name;
    TrimWhiteSpace(m_strFileName);
}

void CBaseNode::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteInt32(1);
        ar.WriteInt32(0);
        ar.WriteText(m_strFileName);
        ar.WriteText(m_strCaption);
        ar.WriteText(m_strText);
        ar.WriteInt32(m_bGroup);
        return;
    }
    if (!ar.m_bOldLayout) {
        m_nBaseVersion = ar.ReadInt32();
        m_nBaseRevision = ar.ReadInt32();
    }
    ar.ReadText(m_strFileName);
    TrimWhiteSpace(m_strFileName);
    ar.ReadText(m_strCaption);
    ar.ReadText(m_strText);
    m_bGroup = ar.ReadInt32();
}
