#pragma once
// What a setup package says about itself in its script's [Strings]: the
// Picture Book, its sender, whether the viewer comes along, the space needed.

#include "setup/SetupScript.h"

#include <cstdint>
#include <string>

// Texts are UTF-8, cut at their lengths in the script before conversion.
struct PackageInfo {
    bool viewerIncluded = false; // CORVALE_INCLUDED begins with '1'
    std::string description;     // PHOTOS_DESC: also the Picture Book's folder name
    std::string owner;           // PHOTOS_OWNER
    std::string ownerEmail;      // PHOTOS_OWNER_EMAIL
    std::string bookFile;        // PHOTOS_FILE: the Picture Book inside its folder
    // Bytes needed by each part; -1 when the script does not say.
    int64_t spaceViewer = -1;    // SPACE_REQD_PV
    int64_t spacePhotos = -1;    // SPACE_REQD_PHOTOS
    int64_t spaceHelp = -1;      // SPACE_REQD_HELP
};

// Reads the keys, each cut at its length and converted (SetupScript::ToUtf8); a key that is missing (or not
// quoted) leaves its default.
PackageInfo ReadPackageInfo(const SetupScript& script);
