// Corvale: the viewer for Picture Books.

#include "platform/VersionRecord.h"
#include "qtshared/AppIcon.h"
#include "viewer/CorvaleApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvale"));
    QApplication::setOrganizationName(QStringLiteral("Quillfen"));
    // Every window without an icon of its own (photo and media windows too) shows this one.
    QApplication::setWindowIcon(CorvaleIcon());
    // Wayland desktops find the icon and launcher by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("corvale"));
    (void)VersionRecordText(); // keeps the version record in the program file

    CCorvaleApp app;
    if (!app.InitInstance(QApplication::arguments()))
        return app.m_nExitCode;
    int code = app.Run();
    app.ExitInstance();
    return code;
}
