#include "viewer/MediaPlayback.h"

#include "model/MediaNode.h"
#include "model/CorvaleDoc.h"
#include "platform/PathResolver.h"

#include <QDesktopServices>
#include <QUrl>

void PlayMediaItem(CMediaNode* node)
{
    if (!node)
        return;
    CCorvaleDoc* doc = CCorvaleDoc::GetActiveBook();
    std::string path = PathResolver::Resolve(node->m_strFileName, doc ? doc->m_strBookFolder : "");
    if (!path.empty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}
