#pragma once
// The data a node offers when it is copied or dragged out of the tree: its
// archive bytes under "KVX_PhotoNode" or "KVX_MediaNode", its picture as a
// packed DIB and as an image, and its caption as text.

#include <QMimeData>
#include <QString>

class CBaseNode;

// Clipboard format names other programs know the node data by.
extern const char* const kPhotoNodeFormat; // "KVX_PhotoNode": a photograph or group
extern const char* const kMediaNodeFormat; // "KVX_MediaNode": a multimedia item
extern const char* const kDibFormat;       // "CF_DIB": header block, then pixel buffer

// The MIME type that carries the clipboard format `name`. On Windows it maps
// to the clipboard format registered under that very name, which is how the
// node formats are known to other programs.
QString ClipboardFormatMime(const char* name);

// Every format is rendered when the object is made, never later: a clipboard
// can keep the data long after the Picture Book (and its nodes) closed, so the
// object keeps no pointer to the node. The price is that copying a large
// group serialises it at once, which is fast next to loading its picture.
class CPhotoTreeDataSource : public QMimeData {
    Q_OBJECT
public:
    // A null node offers nothing.
    explicit CPhotoTreeDataSource(CBaseNode* node);
    ~CPhotoTreeDataSource() override;
};

// A new data object for `node`, owned by the caller (or the clipboard / drag).
QMimeData* CreateNodeMimeData(CBaseNode* node);
