#include "setup/PackageInfo.h"

#include "setup/ScriptText.h"

namespace {

void ReadText(const SetupScript& script, const char* key, size_t maxChars, std::string& out)
{
    if (std::optional<std::string> value = script.LookupString(key, maxChars))
        out = std::move(*value);
}

// A text that becomes a folder or file name, an argument or a shown text.
void ReadName(const SetupScript& script, const char* key, size_t maxChars, std::string& out)
{
    if (std::optional<std::string> value = script.LookupString(key, maxChars))
        out = script.ToUtf8(*value);
}

void ReadSize(const SetupScript& script, const char* key, int64_t& out)
{
    if (std::optional<std::string> value = script.LookupString(key, 63))
        out = ParseDecimal(*value);
}

} // namespace

PackageInfo ReadPackageInfo(const SetupScript& script)
{
    PackageInfo info;
    std::string included;
    ReadText(script, "CORVALE_INCLUDED", 3, included);
    info.viewerIncluded = !included.empty() && included[0] == '1';
    ReadName(script, "PHOTOS_DESC", kMaxScriptText, info.description);
    ReadName(script, "PHOTOS_OWNER", 127, info.owner);
    ReadName(script, "PHOTOS_OWNER_EMAIL", 127, info.ownerEmail);
    ReadName(script, "PHOTOS_FILE", kMaxScriptText, info.bookFile);
    ReadSize(script, "SPACE_REQD_PV", info.spaceViewer);
    ReadSize(script, "SPACE_REQD_PHOTOS", info.spacePhotos);
    ReadSize(script, "SPACE_REQD_HELP", info.spaceHelp);
    return info;
}
