#include "viewer/ExportBookCommand.h"

#include "exchange/BookExporter.h"
#include "exchange/ImportFolders.h"
#include "model/CorvaleDoc.h"
#include "platform/MessageTable.h"
#include "platform/Settings.h"
#include "viewer/ProgressDlg.h"
#include "qtshared/QtPrompter.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QUrl>

namespace {

std::string FileName(const std::string& path)
{
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace

void ExportBook(const CCorvaleDoc& doc, QWidget* parent)
{
    Settings settings = Settings::Profile();
    QString start = QString::fromStdString(settings.GetString(SettingKey::LastExportFolder));
    if (start.isEmpty() || !QDir(start).exists())
        start = QDir::homePath();
    QString chosen = QFileDialog::getExistingDirectory(
        parent, QString::fromUtf8(MessageText(MessageId::ExportChooserTitle)), start);
    if (chosen.isEmpty())
        return;
    settings.WriteString(SettingKey::LastExportFolder, chosen.toStdString());
    QtPrompter prompter(parent);
    ExportBookWithProgress(doc, chosen.toStdString(), prompter, parent);
}

bool ExportBookWithProgress(const CCorvaleDoc& doc, const std::string& parentFolder, Prompter& prompter,
                            QWidget* parent)
{
    BookExporter exporter(doc, doc.m_strBookFolder, prompter);
    exporter.SetProgressFactory([parent] {
        auto dialog = std::make_unique<CProgressDlg>(parent);
        dialog->setWindowTitle(QString::fromUtf8(MessageText(MessageId::ExportProgressTitle)));
        dialog->show();
        return dialog;
    });
    std::string name = ImportFolderName(doc.m_strBookTitle, FileName(doc.GetPathName()));
    if (exporter.Export(parentFolder, name) != BookExporter::Result::Done)
        return false;

    std::string text = FormatMessageText(MessageId::ExportDone, {exporter.Folder()});
    if (!exporter.NotExported().empty())
        text += "\n\n" + FormatMessageText(MessageId::ExportSomeNotExported,
                                           {std::to_string(exporter.NotExported().size())});
    text += "\n\n";
    text += MessageText(MessageId::ExportOpenInBrowser);
    if (prompter.Ask(text, PromptButtons::YesNo, PromptIcon::Information) == PromptReply::Yes)
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QString::fromStdString(exporter.Folder()) + QStringLiteral("/index.html")));
    return true;
}
