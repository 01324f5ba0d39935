#pragma once
// The data a node offers when copied or dragged out: its archive bytes under
// "KVX_PhotoNode" or "KVX_MediaNode", its picture as a packed DIB, and its
// caption as text. Everything is rendered when the data is made, so the data
// never refers to a node after its Picture Book has closed.

#include <QMimeData>

class CBaseNode;

// The MIME type carrying the clipboard format `name` ("KVX_PhotoNode", ...).
QString ClipboardFormatMime(const char* name);

QMimeData* CreateNodeMimeData(CBaseNode* node);
