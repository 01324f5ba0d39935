#include "platform/MessageTable.h"

#include <cstddef>
#include <vector>

namespace {

struct MessageEntry {
    MessageId id;
    const char* text;
};

const MessageEntry kMessages[] = {
    {MessageId::UnexpectedFileFormat, "Unexpected file format."},
    {MessageId::FailedToOpenDocument, "Failed to open document."},
    {MessageId::FailedToSaveDocument, "Failed to save document."},
    {MessageId::FileErrorGeneric, "An unknown error occurred while accessing %1."},
    {MessageId::FileErrorNotFound, "%1 was not found."},
    {MessageId::FileErrorBadPath, "%1 contains an invalid path."},
    {MessageId::FileErrorTooManyOpenFiles,
     "%1 could not be opened because there are too many open files."},
    {MessageId::FileErrorAccessDenied, "Access to %1 was denied."},
    {MessageId::FileErrorInvalidFile, "An invalid file handle was associated with %1."},
    {MessageId::FileErrorRemoveCurrentDir,
     "%1 could not be removed because it is the current directory."},
    {MessageId::FileErrorDirectoryFull,
     "%1 could not be created because the directory is full."},
    {MessageId::FileErrorBadSeek, "Seek failed on %1"},
    {MessageId::FileErrorHardIO, "A hardware I/O error was reported while accessing %1."},
    {MessageId::FileErrorSharingViolation, "A sharing violation occurred while accessing %1."},
    {MessageId::FileErrorLockViolation, "A locking violation occurred while accessing %1."},
    {MessageId::FileErrorDiskFull, "Disk full while accessing %1."},
    {MessageId::FileErrorEndOfFile, "An attempt was made to access %1 past its end."},
    {MessageId::CdMayBeGone,
     "You are trying to load from a CD\nthat may not be there anymore.\n\nPlease be sure the "
     "correct CD\nhas been properly loaded then click OK."},
    {MessageId::PcsConversion,
     "This PCS file is an older format of storage.\nCorvale will now save your Multimedia\n"
     "Picture Book in a new improved format.\n\nThe file name will now have a .PBK extension\n"},
    {MessageId::ColourDepthTooLow,
     "Corvale requires either 16-bit \"High Color\" or\n24-bit \"True Color\" to display "
     "images.  Your computer\nis set to a lower color setting such as 16 or 256 colors.\n\n"
     "Open the \"Control Panel\" then choose and open \"Display\".\nThen go to the \"Settings\" "
     "tab to increase the color\ncapability of your screen.  If High or True color are not\n"
     "offered as choices, then you need to upgrade the video card\nin your computer before "
     "using Corvale."},
    {MessageId::OleInitFailed,
     "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
    {MessageId::ShortcutFileMissing, "Cannot make a shortcut for\n\n%s\n\nFile does not exist"},
    {MessageId::ShortcutNotMade,
     "Cannot make a shortcut for\n\n%s\n\nNo desktop launcher can be written for it."},
    {MessageId::RunningViewerRefused,
     "Corvale is already running but did not take\n\n%s\n\nIt may be busy: try again in a moment."},
    {MessageId::PrinterNotFound, "Cannot print to \"%s\"\n\nNo printer of that name is installed."},
    {MessageId::MediaFileNotFound, "Media File %s not found!"},
    {MessageId::CannotOpenMediaViewer, "Cannot open Media Viewer"},
    {MessageId::MediaComponentMissing,
     "Media Player Component not installed!\nYou must download and install the latest\n"
     "version of the \"Microsoft Media Player\" from\nMicrosoft in order to play multimedia items."},
    {MessageId::CannotFindCurrentFolder, "Cannot find current folder"},
    {MessageId::CannotFindWindowsFolder, "Cannot find Windows folder"},
    {MessageId::CannotLaunchPlayer,
     "Cannot launch any player for this item.\n\nYou should download and install the latest\n"
     "version of the \"Microsoft DirectShow\" from\nMicrosoft in order to play multimedia items\n"
     "with the best results.\n"},
    // The media window's status line when its back end cannot decode an item.
    {MessageId::MediaPlayedOutside, "%s: handed to the outside player"},
    {MessageId::MediaCannotBePlayed, "%s: cannot be played"},
    {MessageId::RegistryStoreDamaged,
     "The settings file\n\n%1\n\nis damaged, so no settings can be saved until it is "
     "replaced.\n\nStart a fresh settings file? The damaged one will be kept as\n\n%2"},
    {MessageId::RegistryStoreNotKeptAside,
     "The damaged settings file could not be moved aside:\n\n%1\n\nSettings will not be saved."},
    {MessageId::OwnerReplySubject, "The photos you sent to me"},
    {MessageId::OwnerReplyNote, "Thanks for the cool pics..."},
    {MessageId::SetupFailedTitle, "Setup failed"},
    {MessageId::CannotGetSelfIdentity, "Cannot get self-identity information"},
    {MessageId::CannotOpenSetupScript, "Cannot open setup script"},
    {MessageId::CannotReadSetupScript, "Cannot read setup script"},
    {MessageId::ConfirmDirectoryCreationTitle, "Confirm directory creation"},
    {MessageId::DirectoryDoesNotExist, "Directory %s\ndoes not exist !\n\nCreate it?"},
    {MessageId::BadDirectoryTitle, "Bad directory"},
    {MessageId::FailedToCreateDirectory, "Failed to create %s !"},
    {MessageId::NotADirectory, "%s is not a directory !"},
    {MessageId::OverwriteWarningTitle, "Overwrite warning"},
    {MessageId::OverwriteNewerVersion,
     "Warning!  You are about to replace a newer version of this file:\n\n%s\n\n"
     "with an older version.\n\nThe newer version is:  \t%s\nThe older version is:  \t%s\n\n"
     "Unless you have VERY GOOD reason for doing this, it is usually a bad idea\n"
     "to replace a newer file with an older copy of that file.  Replace it anyway?"},
    {MessageId::InstallErrorTitle, "Corvale for Windows Install Error"},
    {MessageId::InstallScriptFailed, "Installation script did not complete successfully!"},
    {MessageId::IniFileCreationTitle, "INI file creation"},
    {MessageId::CannotCreateIniFile, "Cannot create ini file for installation"},
    {MessageId::CannotWriteIniFile, "Cannot write to ini file"},
    {MessageId::UninstallCopyFailedTitle, "Uninstall copy failed"},
    {MessageId::CannotOpenSetupFile, "Cannot open setup file for copy"},
    {MessageId::CannotCreateUninstallFile, "Cannot create uninstall file"},
    {MessageId::ErrorCopyingUninstallFile, "Error copying to uninstall file"},
    {MessageId::InstallCompletedTitle, "Install Completed"},
    {MessageId::InstalledSuccessfully, "Corvale for Windows installed successfully!"},
    {MessageId::UninstallCompletedTitle, "Uninstall Completed"},
    {MessageId::UninstallRemoved, "Corvale has been removed from your computer."},
    {MessageId::InstallProgressTitle, "Installing files..."},
    {MessageId::UninstallProgressTitle, "Removing Corvale..."},
    {MessageId::ProgressCopying, "Copying..."},
    {MessageId::ProgressAddingRegistry, "Adding Registry entries..."},
    {MessageId::ProgressAddingMenuItems, "Adding Menu items..."},
    {MessageId::ProgressAddingUninstaller, "Adding Uninstall program..."},
    {MessageId::ProgressAddingShortcut, "Adding Desktop shortcut..."},
    {MessageId::FailureCancelled, "Setup was cancelled."},
    {MessageId::FailureDiskFull, "The disk is full."},
    {MessageId::FailureAccessDenied, "Access denied."},
    {MessageId::FailurePackageFileMissing, "A file of the package is missing."},
    {MessageId::FailureFileNotWritten, "A file could not be written."},
    {MessageId::FailureFileNotRemoved, "A file could not be removed."},
    {MessageId::FailureRegistryDamaged, "The registry store is damaged."},
    {MessageId::FailureRegistryNotWritten, "The registry store cannot be written."},
    {MessageId::FailureScriptUnusable, "The setup script asks for work that does not end."},
    {MessageId::SetupWindowTitle, "Corvale Setup"},
    {MessageId::ConfirmUninstallTitle, "Confirm Uninstall"},
    {MessageId::ConfirmUninstall,
     "Corvale will be completely removed !\n\nIs this REALLY what you want?"},
    {MessageId::WizardTitle, "Corvale for Windows Installation"},
    {MessageId::WelcomeHeading, "Welcome to the Corvale for Windows Setup"},
    {MessageId::WelcomeLine, "Welcome to Corvale for Windows Setup."},
    {MessageId::WelcomePackage,
     "This setup installs the following Picture Book:\n\n\t\"%s\"\n\nThey were sent to you from %s."},
    {MessageId::WelcomeViewerIncluded,
     "  Also, the Corvale program is included so that you can view the photos."},
    {MessageId::WelcomeHowToGoOn,
     "To install these components onto your computer now, click \"Next\" or press ENTER.\n\n"
     "To exit Setup without installing anything, you may click \"Cancel\" at any time."},
    {MessageId::WhoHeading, "Who Are You?"},
    {MessageId::WhoName, "Your Name:"},
    {MessageId::WhoCompany, "Company Name:"},
    {MessageId::WhoEmail, "Email address:"},
    {MessageId::WhoNote,
     "Note:  Your Name is required to proceed.\n          Your company name is optional.\n"
     "          Your email is optional, but recommended."},
    {MessageId::TypeHeading, "Installation Type"},
    {MessageId::TypePrompt, "Please select the type of installation desired."},
    {MessageId::TypeExpress, "Express install using the most common options."},
    {MessageId::TypeCustom, "Custom install to include only the sections you choose."},
    {MessageId::TypeMinimal, "Minimal install if you already have Corvale installed"},
    {MessageId::TypeMinimalNote, "(you only need to install the new pictures)."},
    {MessageId::CustomHeading, "Custom Installation Options"},
    {MessageId::CustomPrompt, "Please select the desired components to install."},
    {MessageId::CustomProgram, "The Corvale Program (you use this to view the pictures)"},
    {MessageId::CustomBook, "The Picture Book (the online pictures you are receiving)"},
    {MessageId::CustomHelp, "Help files for how to use Corvale"},
    {MessageId::CustomNoteSuggestion,
     "        SUGGESTION: Keep this option checked on!\n\nRemember: You need to install Corvale "
     "before you can view the Picture Book!  If you are interested in upgrading to Corvale PLUS, "
     "go to \"%s\" to learn more."},
    {MessageId::CustomNoteNoViewer,
     "You do not have Corvale installed, and it is not included in this install either.  You "
     "need to get Corvale before you can view these photos!  After this install is done, go to "
     "\"%s\" for help."},
    {MessageId::CustomNoteHaveViewer,
     "Corvale is not included in this installation, but you already have it installed on your "
     "computer anyway.  If you are interested in upgrading to Corvale PLUS, go to \"%s\" to "
     "learn more."},
    {MessageId::CustomNoteReinstall,
     "Corvale is included in this installation, but you already have it on your computer.  "
     "You can re-install it if you think your own copy is out of date.  If you are interested "
     "in upgrading to Corvale PLUS, go to \"%s\" to learn more."},
    {MessageId::CustomNotePlusInstalled,
     "Corvale is included in this installation, but you already have Corvale PLUS installed.  "
     "Corvale should NOT be re-installed on top of Corvale PLUS."},
    {MessageId::WhereHeading, "Where to install?"},
    {MessageId::WhereInstallViewer,
     "Enter the \"folder\" (directory path) where Corvale should be installed."},
    {MessageId::WhereViewerFound,
     "Corvale was found already in this path.  It will be overwritten here unless you enter a "
     "new installation path."},
    {MessageId::WhereFoundBelow,
     "Corvale was found in this path.  Your files will be installed below this path unless you "
     "enter a different path."},
    {MessageId::WhereInstallFiles,
     "Enter the \"folder\" (directory path) under which your files should be installed."},
    {MessageId::WherePathLabel, "Installation Path:"},
    {MessageId::SpaceFrame, "Space required for installation:"},
    {MessageId::SpaceProgram, "Corvale program files"},
    {MessageId::SpacePhotos, "Photos and multimedia content"},
    {MessageId::SpaceHelp, "Corvale on-line help"},
    {MessageId::SpaceTotal, "TOTAL REQUIRED SPACE"},
    {MessageId::SpaceMegabytes, " %s Meg"},
    {MessageId::SelectionNotADirectory, "What you selected is NOT a directory!"},
    {MessageId::NoDirectoryTitle, "No directory"},
    {MessageId::NoSuchDirectory, "No such directory exists.  Create it?"},
    {MessageId::FailedToCreateTheDirectory, "Failed to create the directory!"},
    {MessageId::InsufficientSpaceTitle, "Insufficient space"},
    {MessageId::InsufficientSpace,
     "Not enough space to install here\n\nThis installation will most likely fail\n"
     "unless you choose a different hard drive\nor remove some files from this hard drive.\n\n"
     "Proceed anyway ?"},
    {MessageId::ReadyHeading, "Ready to Install"},
    {MessageId::ReadyLine,
     "This setup program for Corvale is ready to complete it's installation."},
    {MessageId::ReadyHowToGoOn,
     "To install your selected components onto your computer now, click \"Finish\" or press "
     "ENTER.\n\nTo exit Setup without installing anything, click \"Cancel\"."},
    {MessageId::LicenceTitle, "Software License Agreement"},
    {MessageId::LicenceRead, "Please read the following license agreement."},
    {MessageId::LicencePageDown, "Press the PAGE DOWN key to see the rest of the agreement."},
    {MessageId::LicenceQuestion,
     "Do you accept all of the terms of the preceding License Agreement?"},
    {MessageId::LicenceNoEndsSetup,
     "If you choose No, Setup will not continue.  To install this product, you must accept "
     "this agreement."},
    {MessageId::LicenceYes, "&Yes"},
    {MessageId::LicenceNo, "&No"},
    {MessageId::LicenceErrorTitle, "Corvale Installation Critical Error"},
    {MessageId::LicenceCannotOpen, "Error accessing file: %s"},
    {MessageId::LicenceNoMemory, "Error allocating memory for license text."},
    {MessageId::LicenceCannotRead, "Error reading license file: %s"},
    {MessageId::NeedViewerTitle, "You need Corvale!"},
    {MessageId::NeedViewerHeadline,
     "You need to install \"Corvale for Windows\" in order to view these photos."},
    {MessageId::NeedViewerNotInstalled,
     "Corvale is not installed on your computer yet, and it is not included in this Picture "
     "Book either.  Getting a copy of Corvale is the next thing you need to do!"},
    {MessageId::NeedViewerWhere,
     "To get a free copy of Corvale, either check with the sender of these photos, or go to:"
     "\n\n\t\t%s"},
    {MessageId::NeedViewerAbout,
     "At this web site, you can find out more about Corvale, as well as it\'s companion "
     "product, Corvale PLUS.  Corvale is free, and Corvale PLUS is available for purchase."},
    {MessageId::NeedViewerButton, "All right, already!  I get the picture..."},
    {MessageId::ImageNotSupported, "Image file %s\nis not a supported type"},
    {MessageId::CouldNotLoadImage, "Could not load image file %s"},
    {MessageId::GifDepthTooHigh, "GIF Images must be 8 bit or less"},
    {MessageId::GifWriteError, "Write Error in GIF file"},
    {MessageId::ZipHasNoPictureBook, "This zip file has no Picture Book."},
    {MessageId::ZipCouldNotExtract, "Could not extract Picture Book data."},
    {MessageId::ZipFailedToCreate, "Failed to create %s"},
    {MessageId::ZipNotADirectory, "%s is not a directory !"},
    {MessageId::ZipFolderExists,
     "This folder already exists:\n\n%s\n\nYou may already have these photos.\n\nDo you want to "
     "import under a different folder name?"},
    {MessageId::ZipImportFailed, "Import failed"},
    {MessageId::ZipCopyFailed, "Failed to copy Picture Book data file\nError %d"},
    {MessageId::ZipExtractingData, "Extracting Picture Book Data..."},
    {MessageId::ZipPreparingFolder, "Preparing a new folder..."},
    {MessageId::ZipGatheringFiles, "Gathering file list for extraction..."},
    {MessageId::ZipImportingBook, "Importing Picture Book..."},
    {MessageId::ZipOpeningBook, "Opening new Picture Book..."},
    {MessageId::ZipFilesImported, "%ld files (out of %d) imported"},
    {MessageId::ZipBytesImported, "%ld bytes imported"},
    {MessageId::ZipProgressTitle, "Importing Zip archive..."},
    {MessageId::ZipChooserTitle, "Select a ZIP archive to import from"},
    {MessageId::ZipChooserFilter, "ZIP Files (*.zip)"},
    {MessageId::ExportFolderExists,
     "This folder already exists:\n\n%s\n\nYou may already have exported this Picture Book.\n\n"
     "Do you want to export under a different folder name?"},
    {MessageId::ExportProgressTitle, "Exporting Picture Book..."},
    {MessageId::ExportCopying, "Copying photos and multimedia files..."},
    {MessageId::ExportWritingIndex, "Writing the index..."},
    {MessageId::ExportFilesDone, "%ld files (out of %d) exported"},
    {MessageId::ExportBytesDone, "%ld bytes exported"},
    {MessageId::ExportChooserTitle, "Choose the folder to export the Picture Book into"},
    {MessageId::ExportDone, "The Picture Book was exported to:\n\n%s"},
    {MessageId::ExportSomeNotExported,
     "%d of the files it names could not be exported; the index lists them."},
    {MessageId::ExportOpenInBrowser, "Do you want to see it in your web browser now?"},
    {MessageId::ExportSentBy, "Sent by %1"},
    {MessageId::ExportContents, "Contents"},
    {MessageId::ExportOriginal, "Original: %1"},
    {MessageId::ExportFileMissing, "Missing: %1"},
    {MessageId::ExportFileOutside, "Not exported: %1 lies outside the Picture Book's folder"},
    {MessageId::ExportFileUnreadable, "Not exported: %1 cannot be read"},
    {MessageId::MakeNotAFolder, "%1 is not a folder."},
    {MessageId::MakeNotBeside, "The Picture Book must be written directly in %1, beside its pictures."},
    {MessageId::MakeBookIsAFolder, "%1 is a folder, not a Picture Book."},
    {MessageId::MakeNothingToShow, "%1 holds no pictures or multimedia files the viewer can show."},
    {MessageId::MakeUnsupported, "%1: not a picture or multimedia file the viewer shows; left out"},
    {MessageId::MakeDamaged, "%1: the viewer could not load this picture; left out"},
    {MessageId::MakeNotAFile, "%1: not a plain file; left out"},
    {MessageId::MakeLinkedFolder, "%1: a link to a folder; left out"},
    {MessageId::MakeTooDeep, "%1: too many folders deep; left out"},
    {MessageId::MakeUnnamable, "%1: a Picture Book cannot name this file; left out"},
    {MessageId::MakeEmptyFolder, "%1: holds no pictures or multimedia files; left out"},
    {MessageId::MakeUnusedText, "%1: no picture, multimedia file or folder of the same name; left out"},
    {MessageId::MakeTextUnreadable, "%1: cannot be read as a text; left out"},
    {MessageId::MakeCannotList, "%1: the folder cannot be read; left out"},
    {MessageId::MakeCharactersReplaced,
     "%1: characters the Picture Book's code page cannot hold became \"?\" (%2)"},
    {MessageId::MakeTitleField, "the title"},
    {MessageId::MakeSenderField, "the sender's name"},
    {MessageId::MakeEmailField, "the sender's e-mail address"},
};

static_assert(sizeof(kMessages) / sizeof(kMessages[0]) == static_cast<size_t>(MessageId::Count),
              "every message id has exactly one text");

} // namespace

const char* MessageText(MessageId id)
{
    size_t index = static_cast<size_t>(id);
    if (index < static_cast<size_t>(MessageId::Count) && kMessages[index].id == id)
        return kMessages[index].text;
    for (const MessageEntry& e : kMessages)
        if (e.id == id)
            return e.text;
    return "";
}

std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args)
{
    std::vector<const std::string*> list;
    for (const std::string& a : args)
        list.push_back(&a);
    std::string out;
    out.reserve(pattern.size() + 64);
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        char d = pattern[i + 1];
        if (d >= '1' && d <= '9') {
            size_t n = static_cast<size_t>(d - '1');
            if (n < list.size())
                out += *list[n];
            ++i;
        } else if (d == 's' || d == 'd' ||
                   (d == 'l' && i + 2 < pattern.size() && pattern[i + 2] == 'd')) {
            if (next < list.size())
                out += *list[next];
            ++next;
            i += d == 'l' ? 2 : 1;
        } else if (d == '%') {
            out += '%';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}
