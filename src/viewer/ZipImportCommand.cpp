#include "viewer/ZipImportCommand.h"

#include "exchange/ImportFolders.h"
#include "exchange/ZipImporter.h"
#include "platform/MessageTable.h"
#include "platform/Settings.h"
#include "viewer/ProgressDlg.h"

#include <QFileDialog>

std::string ChooseZipArchive(const std::string& installFolder, QWidget* parent)
{
    QString folder = QString::fromStdString(ZipImportStartFolder(Settings::Profile(), installFolder));
    return QFileDialog::getOpenFileName(parent, QString::fromUtf8(MessageText(MessageId::ZipChooserTitle)),
                                        folder, QString::fromUtf8(MessageText(MessageId::ZipChooserFilter)))
        .toStdString();
}

bool ImportZipWithProgress(const std::string& path, const std::string& installFolder,
                           QWidget* parent, const std::function<void(const std::string&)>& open)
{
    ZipImporter importer(Settings::Profile(), installFolder);
    importer.SetProgressFactory([parent] {
        auto dialog = std::make_unique<CProgressDlg>(parent);
        dialog->show();
        return dialog;
    });
    importer.SetOpenBook(open);
    return importer.ImportZipArchive(path);
}
