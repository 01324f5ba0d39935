#pragma once
// The texts the viewer's windows show about the current node: the photo
// view's placeholder and window title, the status bar's picture size and the
// Properties dialog's fields. All results are UTF-8; node texts are converted
// from the book's code page.

#include <cstdint>
#include <string>

class CBaseNode;
class CCorvaleDoc;

// What the photo view draws when it has no picture to draw.
std::string BuildPlaceholderText(const CCorvaleDoc& doc, const CBaseNode* selected,
                                 const CBaseNode* shown);

// The node the photo view shows for `selected`: itself, or for a multimedia
// item its nearest ancestor that is not one.
CBaseNode* ShownNodeFor(CBaseNode* selected);

// The document window's title while `shown` is displayed.
std::string PhotoWindowTitle(const CCorvaleDoc& doc, const CBaseNode* shown);

// Six spaces, or the picture size of the current photograph ("640x480", or
// "640x480  (displayed: 320x240)" when shown shrunk).
std::string StatusSizeText(const CCorvaleDoc* doc);

struct PropertiesValues {
    std::string kind;
    std::string fileName;
    std::string formatLabel; // "Internal Data Format" or "Sent by"
    std::string formatValue;
    int32_t fileSize = 0;
    std::string sizes;
};

// The Properties dialog's fields for `node` (null: all empty).
PropertiesValues FillProperties(const CCorvaleDoc& doc, const CBaseNode* node);
