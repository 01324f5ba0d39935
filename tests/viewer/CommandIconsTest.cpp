#include "app/CommandIds.h"
#include "platform/Prompter.h"
#include "support/TestEnvironment.h"
#include "viewer/CommandIcons.h"
#include "viewer/CorvaleApp.h"
#include "viewer/MainFrame.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

// Points the icon theme at `folder` for as long as it lives.
class ScopedIconTheme {
public:
    ScopedIconTheme(const QString& folder, const QString& name)
        : m_paths(QIcon::themeSearchPaths()), m_name(QIcon::themeName())
    {
        QIcon::setThemeSearchPaths({folder});
        QIcon::setThemeName(name);
    }
    ~ScopedIconTheme()
    {
        QIcon::setThemeSearchPaths(m_paths);
        QIcon::setThemeName(m_name);
    }

private:
    QStringList m_paths;
    QString m_name;
};

QImage Picture(const QIcon& icon, int size)
{
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(CommandIcons, EveryToolbarButtonHasItsOwnPictureWithoutAnIconTheme)
{
    ScopedRegistry registry;
    TempDir dir;
    ScopedIconTheme theme(QString::fromStdString(dir.Path()), QStringLiteral("none"));
    RecordingPrompter prompter;
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));

    std::vector<std::pair<int, QImage>> seen;
    bool mediaPlayerOnToolbar = false;
    for (QToolBar* bar : app.GetMainFrame()->findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            if (action->isSeparator())
                continue;
            int id = action->data().toInt();
            mediaPlayerOnToolbar |= id == ID_VIEW_MEDIA_PLAYER;
            for (int size : {16, 24})
                ASSERT_FALSE(Picture(action->icon(), size).isNull()) << id << " at " << size;
            QImage picture = Picture(action->icon(), 24);
            for (const auto& [other, otherPicture] : seen)
                EXPECT_NE(picture, otherPicture) << id << " looks like " << other;
            seen.emplace_back(id, picture);
        }
    }
    EXPECT_TRUE(mediaPlayerOnToolbar);
}

TEST(CommandIcons, TheDesktopThemeComesFirst)
{
    TempDir dir;
    QDir(QString::fromStdString(dir.Path())).mkpath(QStringLiteral("desk/24x24/actions"));
    QFile index(QString::fromStdString(dir.File("desk/index.theme")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=desk\nDirectories=24x24/actions\n\n"
                "[24x24/actions]\nSize=24\nType=Fixed\n");
    index.close();
    QImage red(24, 24, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(dir.File("desk/24x24/actions/document-print.png"))));
    ScopedIconTheme theme(QString::fromStdString(dir.Path()), QStringLiteral("desk"));
    ScopedRegistry registry;
    RecordingPrompter prompter;
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
    CMainFrame* frame = app.GetMainFrame();

    EXPECT_EQ(Picture(frame->Action(ID_FILE_PRINT_DIRECT)->icon(), 24), red);
    // What the theme lacks, the viewer's own picture stands in for.
    QIcon copy = BundledIcon(QStringLiteral("edit-copy"));
    ASSERT_FALSE(copy.isNull());
    EXPECT_EQ(Picture(frame->Action(ID_EDIT_COPY)->icon(), 24), Picture(copy, 24));
}
