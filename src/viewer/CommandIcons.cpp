#include "viewer/CommandIcons.h"

#include "app/CommandIds.h"

#include <QFile>

namespace {

// A theme that lacks the first name may have the second, which says the same.
const struct {
    int id;
    const char* name;
    const char* alternative;
} kCommandIcons[] = {
    {ID_FILE_OPEN, "document-open", nullptr},
    {ID_IMPORT_ZIP, "document-import", nullptr},
    {ID_EDIT_COPY, "edit-copy", nullptr},
    {ID_FILE_PRINT, "document-print", nullptr},
    {ID_FILE_PRINT_DIRECT, "document-print", nullptr},
    {ID_PROPERTIES, "document-properties", nullptr},
    {ID_APP_ABOUT, "help-about", nullptr},
    {ID_VIEW_MEDIA_PLAYER, "multimedia-player", "applications-multimedia"},
    {ID_STOP_PLAYBACK, "media-playback-stop", nullptr},
    {ID_PLAY_MEDIA, "media-playback-start", nullptr},
    {ID_PLAY, "media-playback-start", nullptr},
    {ID_SEND_EMAIL, "mail-message-new", "mail-send"},
    {ID_HELP_FINDER, "help-contents", nullptr},
};

const int kBundledSizes[] = {16, 24, 32, 48};

} // namespace

QIcon BundledIcon(const QString& name)
{
    QIcon icon;
    for (int size : kBundledSizes) {
        QString file = QStringLiteral(":/icons/%1/%2.png").arg(size).arg(name);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}

QIcon CommandIcon(int id)
{
    for (const auto& entry : kCommandIcons) {
        if (entry.id != id)
            continue;
        QString name = QString::fromLatin1(entry.name);
        QIcon fallback = BundledIcon(name);
        if (entry.alternative)
            fallback = QIcon::fromTheme(QString::fromLatin1(entry.alternative), fallback);
        return QIcon::fromTheme(name, fallback);
    }
    return QIcon();
}
