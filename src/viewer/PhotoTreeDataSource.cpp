#include "viewer/PhotoTreeDataSource.h"

#include "image/SECImage.h"
#include "model/Archive.h"
#include "model/BaseNode.h"
#include "platform/CodePage.h"
#include "viewer/DibImageCache.h"

const char* const kPhotoNodeFormat = "KVX_PhotoNode";
const char* const kMediaNodeFormat = "KVX_MediaNode";
const char* const kDibFormat = "CF_DIB";

namespace {

QByteArray ToByteArray(const std::string& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The node's own Serialize output in store mode: no object tag, no class
// name, numbering from 1, children included as Serialize writes them.
QByteArray NodeArchiveBytes(CBaseNode& node)
{
    CArchive ar;
    node.Serialize(ar);
    return ToByteArray(ar.TakeStoredBytes());
}

// A packed device-independent bitmap: the header block (BITMAPINFOHEADER and
// colour table) directly followed by the whole pixel buffer.
QByteArray PackedDib(const SECImage& image)
{
    QByteArray dib;
    dib.reserve(static_cast<qsizetype>(image.GetHeaderSize() + image.GetBitsSize()));
    dib.append(reinterpret_cast<const char*>(image.GetHeaderBlock()),
               static_cast<qsizetype>(image.GetHeaderSize()));
    dib.append(reinterpret_cast<const char*>(image.GetBits()), static_cast<qsizetype>(image.GetBitsSize()));
    return dib;
}

} // namespace

QString ClipboardFormatMime(const char* name)
{
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QLatin1String(name));
}

CPhotoTreeDataSource::CPhotoTreeDataSource(CBaseNode* node)
{
    if (!node)
        return;
    if (node->IsPhoto())
        setData(ClipboardFormatMime(kPhotoNodeFormat), NodeArchiveBytes(*node));
    else if (node->IsMedia())
        setData(ClipboardFormatMime(kMediaNodeFormat), NodeArchiveBytes(*node));

    if (node->IsPhoto()) {
        // Loads the picture on first use; the display copy when there is one.
        SECImage* image = node->GetShownImage();
        if (image && image->HasPicture()) {
            setData(ClipboardFormatMime(kDibFormat), PackedDib(*image));
            // The same picture in a form every other program can paste.
            QImage picture = DibImageCache::ToQImage(*image);
            if (!picture.isNull())
                setImageData(picture);
        }
    }

    setText(QString::fromStdString(Cp1252ToUtf8(node->m_strCaption)));
}

CPhotoTreeDataSource::~CPhotoTreeDataSource() = default;

QMimeData* CreateNodeMimeData(CBaseNode* node)
{
    return new CPhotoTreeDataSource(node);
}
