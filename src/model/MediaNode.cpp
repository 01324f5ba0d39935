#include "model/MediaNode.h"

#include "model/Archive.h"
#include "model/PhotoNode.h"

#include <algorithm>
#include <cctype>

const CRuntimeClass CMediaNode::classCMediaNode = {"CMediaNode", 1, &CMediaNode::CreateObject,
                                                   &CBaseNode::classCBaseNode};


namespace {

bool EndsWith(const std::string& text, const char* suffix)
{
    size_t n = std::char_traits<char>::length(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

} // namespace

int32_t MediaTypeFromFileName(const std::string& name)
{
    std::string upper = name;
    TrimWhiteSpace(upper);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (EndsWith(upper, ".WAV") || EndsWith(upper, ".AU") || EndsWith(upper, ".SND"))
        return MEDIA_SOUND;
    if (EndsWith(upper, ".AVI") || EndsWith(upper, ".MPG"))
        return MEDIA_VIDEO;
    if (EndsWith(upper, ".MID") || EndsWith(upper, ".RMI"))
        return MEDIA_MIDI;
    return MEDIA_UNKNOWN;
}

void CMediaNode::SetFileName(const std::string& name)
{
    CBaseNode::SetFileName(name);
    if (m_nMediaType == MEDIA_UNKNOWN)
        m_nMediaType = MediaTypeFromFileName(m_strFileName);
}

void CMediaNode::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteInt32(1);
        ar.WriteInt32(0);
        CBaseNode::Serialize(ar);
        ar.WriteInt32(m_nMediaType);
        return;
    }
    if (!ar.m_bOldLayout) {
        m_nMediaVersion = ar.ReadInt32();
        m_nMediaRevision = ar.ReadInt32();
    }
    CBaseNode::Serialize(ar);
    m_nMediaType = ar.ReadInt32();
}

void CMediaNode::Play()
{
    if (BookHost* host = CPhotoNode::HostOf(*this))
        host->PlayMedia(*this);
}
