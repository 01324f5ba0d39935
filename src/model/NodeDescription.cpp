#include "model/NodeDescription.h"

#include "model/BaseNode.h"
#include "model/MediaNode.h"

#include <strings.h>

namespace {

struct FormatEntry {
    const char* ending;
    const char* description;
};

// First match wins.
const FormatEntry kFormats[] = {
    {".GIF", "GIF Image"},           {".JPG", "JPEG Image"},          {".BMP", "BMP Image"},
    {".TIF", "TIFF Image"},          {".PCX", "PCX Image"},           {".WAV", "WAV Sound Clip"},
    {".AU", "AU Sound Clip"},        {".SND", "SND Sound Clip"},      {".AVI", "AVI Video Clip"},
    {".MPG", "MPG Video Clip"},      {".MID", "MIDI Music Sequence"}, {".RMI", "MIDI Music Sequence"},
};

} // namespace

const char* DescribeNodeKind(const CBaseNode* node)
{
    if (!node)
        return "Unrecognized type of item";
    if (node->IsRoot())
        return "Overall Picture Book";
    if (node->m_bGroup)
        return "Picture Book Sub-group";
    if (node->IsPhoto())
        return "Photograph Item";
    if (node->IsMedia())
        return "Multimedia Item";
    return "Unrecognized type of item";
}

const char* DescribeDataFormat(const std::string& fileName)
{
    for (const FormatEntry& f : kFormats) {
        size_t n = std::char_traits<char>::length(f.ending);
        if (fileName.size() >= n && strcasecmp(fileName.c_str() + fileName.size() - n, f.ending) == 0)
            return f.description;
    }
    return "Unknown data format";
}

const char* NodeKindName(const CBaseNode* node)
{
    if (node->IsMedia())
        return "media";
    return node->m_bGroup ? "group" : "photo";
}

const char* MediaTypeName(int32_t type)
{
    switch (type) {
    case MEDIA_SOUND: return "sound";
    case MEDIA_VIDEO: return "video";
    case MEDIA_MIDI: return "midi";
    default: return "unknown";
    }
}
