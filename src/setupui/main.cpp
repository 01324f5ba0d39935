// setup: installs a Picture Book package (and the viewer) through a wizard,
// or, run as the uninstaller, removes the installation again.

#include "platform/MessageTable.h"
#include "platform/VersionRecord.h"
#include "setupui/SetupApp.h"
#include "qtshared/AppIcon.h"
#include "qtshared/QtPrompter.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(MessageText(MessageId::SetupWindowTitle)));
    QApplication::setOrganizationName(QStringLiteral("Quillfen"));
    QApplication::setWindowIcon(CorvaleIcon());
    (void)VersionRecordText(); // keeps the version record in the program file

    QtPrompter prompter;
    SetupApp app;
    app.SetPrompter(&prompter);
    if (!app.Start(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}
