#include "viewer/PhotoTreeDataSource.h"

#include "model/Archive.h"
#include "model/BaseNode.h"
#include "platform/CodePage.h"

QString ClipboardFormatMime(const char* name)
{
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QLatin1String(name));
}

QMimeData* CreateNodeMimeData(CBaseNode* node)
{
    auto* data = new QMimeData;
    if (!node)
        return data;
    const char* format = node->IsPhoto() ? "KVX_PhotoNode" : node->IsMedia() ? "KVX_MediaNode" : nullptr;
    if (format) {
        CArchive ar;
        node->Serialize(ar);
        std::string bytes = ar.TakeStoredBytes();
        data->setData(ClipboardFormatMime(format), QByteArray(bytes.data(), static_cast<int>(bytes.size())));
    }
    data->setText(QString::fromStdString(Cp1252ToUtf8(node->m_strCaption)));
    return data;
}
