#pragma once
// Every text the core shows to the user, in one table. Patterns hold "%1" (or
// "%s"/"%d"/"%ld" filled in order) where FormatMessageText puts the arguments.

#include <initializer_list>
#include <string>

enum class MessageId {
    // Loading and saving a Picture Book
    UnexpectedFileFormat,
    FailedToOpenDocument,
    FailedToSaveDocument,
    FileErrorGeneric,
    FileErrorNotFound,
    FileErrorBadPath,
    FileErrorTooManyOpenFiles,
    FileErrorAccessDenied,
    FileErrorInvalidFile,
    FileErrorRemoveCurrentDir,
    FileErrorDirectoryFull,
    FileErrorBadSeek,
    FileErrorHardIO,
    FileErrorSharingViolation,
    FileErrorLockViolation,
    FileErrorDiskFull,
    FileErrorEndOfFile,
    CdMayBeGone,
    PcsConversion,
    // Application start-up
    ColourDepthTooLow,
    OleInitFailed,
    ShortcutFileMissing,
    // Multimedia items
    MediaFileNotFound,
    CannotOpenMediaViewer,
    MediaComponentMissing,
    CannotFindCurrentFolder,
    CannotFindWindowsFolder,
    CannotLaunchPlayer,
    // The reply to a Picture Book's sender
    OwnerReplySubject,
    OwnerReplyNote,
    // Setup script
    SetupFailedTitle,
    CannotGetSelfIdentity,
    CannotOpenSetupScript,
    CannotReadSetupScript,
    // Installation and uninstall
    ConfirmDirectoryCreationTitle,
    DirectoryDoesNotExist,
    BadDirectoryTitle,
    FailedToCreateDirectory,
    NotADirectory,
    OverwriteWarningTitle,
    OverwriteNewerVersion,
    InstallErrorTitle,
    InstallScriptFailed,
    IniFileCreationTitle,
    CannotCreateIniFile,
    CannotWriteIniFile,
    UninstallCopyFailedTitle,
    CannotOpenSetupFile,
    CannotCreateUninstallFile,
    ErrorCopyingUninstallFile,
    InstallCompletedTitle,
    InstalledSuccessfully,
    UninstallCompletedTitle,
    UninstallRemoved,
    InstallProgressTitle,
    UninstallProgressTitle,
    ProgressCopying,
    ProgressAddingRegistry,
    ProgressAddingMenuItems,
    ProgressAddingUninstaller,
    ProgressAddingShortcut,
    // Pictures
    ImageNotSupported,
    CouldNotLoadImage,
    GifDepthTooHigh,
    GifWriteError,
    // Import from a ZIP archive
    ZipHasNoPictureBook,
    ZipCouldNotExtract,
    ZipFailedToCreate,
    ZipNotADirectory,
    ZipFolderExists,
    ZipImportFailed,
    ZipCopyFailed,
    ZipExtractingData,
    ZipPreparingFolder,
    ZipGatheringFiles,
    ZipImportingBook,
    ZipOpeningBook,
    ZipFilesImported,
    ZipBytesImported,
    ZipProgressTitle,
    ZipChooserTitle,
    ZipChooserFilter,
    Count
};

const char* MessageText(MessageId id);

// Replaces "%1".."%9" by the argument of that number and each "%s", "%d" or "%ld" by
// the next argument in order; "%%" stands for one percent sign. Arguments are
// inserted as they are, never interpreted as patterns.
std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args);

inline std::string FormatMessageText(MessageId id, std::initializer_list<std::string> args)
{
    return FormatText(MessageText(id), args);
}
