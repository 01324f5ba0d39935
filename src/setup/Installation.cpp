#include "setup/Installation.h"

#include "app/ShellRegistration.h"
#include "exchange/DesktopShortcut.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompter.h"
#include "platform/SettingsKeys.h"
#include "platform/SystemFolders.h"
#include "platform/UniqueFd.h"
#include "platform/VersionRecord.h"
#include "setup/IniFiles.h"
#include "setup/InstallSection.h"
#include "setup/ScriptLoader.h"
#include "setup/ScriptText.h"
#include "setup/SelfDelete.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

PromptReply Show(MessageId text, std::initializer_list<std::string> args, PromptButtons buttons,
                 PromptIcon icon, MessageId caption)
{
    return Prompter::Current().Ask(FormatMessageText(text, args), buttons, icon,
                                   MessageText(caption));
}

void ShowError(MessageId text, MessageId caption, std::initializer_list<std::string> args = {})
{
    Show(text, args, PromptButtons::Ok, PromptIcon::Exclamation, caption);
}

// The last part of a path, after its last separator of either kind.
std::string LastPathPart(const std::string& path)
{
    size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

enum class CopyResult { Copied, CannotOpenSource, CannotCreateTarget, CopyFailed };

// Copies `from` over `to` through a temporary file beside the target that is
// renamed over it only when complete, so a failed or cancelled copy never
// leaves a half-written file in place of a good one. Renaming replaces the
// target's folder entry, so a read-only target (or a link in its place) is
// replaced, never written through. The copy is an ordinary file: readable and
// writable by its owner, executable when the source is. On failure `error`
// holds the errno of what failed.
CopyResult CopyToInstalledFile(const std::string& from, const std::string& to, int& error)
{
    // Only a regular file is copied.
    errno = 0;
    UniqueFd in(OpenRegularFileForReading(from));
    if (!in.IsOpen()) {
        error = errno;
        return CopyResult::CannotOpenSource;
    }
    unsigned permissions = 0;
    in.Permissions(permissions);

    mode_t mask = ::umask(0);
    ::umask(mask);
    unsigned mode = ((permissions & 0777) & ~mask) | S_IRUSR | S_IWUSR;
    RemoveStaleTemporaries(FolderOfPath(to));
    AtomicFileWriter writer;
    if (!writer.Open(to, mode)) {
        error = writer.Error();
        return CopyResult::CannotCreateTarget;
    }
    bool ok = writer.WriteFrom(in.Get());
    if (!ok || !writer.Commit()) {
        error = writer.Error();
        return CopyResult::CopyFailed;
    }
    return CopyResult::Copied;
}

// A file that is already gone counts as deleted: an uninstall after the user
// removed a file by hand must still undo the rest.
bool DeleteInstalledFile(const std::string& path, int& error)
{
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    error = errno;
    return false;
}

// The cause a user can act on, for the errno of a failed file operation;
// none for the rest, which the message's first line already says enough about.
std::optional<MessageId> FileFailureCause(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return MessageId::FailureDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return MessageId::FailureAccessDenied;
    default:
        return std::nullopt;
    }
}

MessageId RegistryFailureCause(RegistryStatus status)
{
    return status == RegistryStatus::Damaged ? MessageId::FailureRegistryDamaged
                                             : MessageId::FailureRegistryNotWritten;
}

// The same folder, however it is spelled: a trailing separator, "." and ".."
// parts or a link to it do not make two folders of one.
bool IsSameFolder(const std::string& a, const std::string& b)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(a, b, ec))
        return true;
    auto normal = [](const std::string& path) {
        std::error_code absoluteError;
        std::string text = fs::absolute(path, absoluteError).lexically_normal().string();
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        return text;
    };
    return normal(a) == normal(b);
}

// A file version as its two 32-bit halves, most significant first.
std::tuple<uint32_t, uint32_t> VersionKey(const VersionNumbers& v)
{
    return {uint32_t(v.major) << 16 | uint32_t(v.minor), uint32_t(v.build) << 16 | uint32_t(v.revision)};
}

// False when the user chose to keep a newer target. Only regular files are
// read for their versions: a device or pipe has none, and reading one might
// never end.
bool ConfirmReplacement(const std::string& source, const std::string& target)
{
    VersionNumbers newer, older;
    if (!IsRegularFile(target) || !IsRegularFile(source) || !ReadVersionRecord(target, newer) ||
        !ReadVersionRecord(source, older))
        return true;
    if (VersionKey(older) >= VersionKey(newer))
        return true;
    return Show(MessageId::OverwriteNewerVersion,
                {target, FormatVersion(newer), FormatVersion(older)}, PromptButtons::YesNoDefaultNo,
                PromptIcon::Exclamation, MessageId::OverwriteWarningTitle) == PromptReply::Yes;
}

class Run {
public:
    Run(const SetupScript& script, SetupState& state, InstallProgress& progress,
        InstallEnvironment& env)
        : m_script(script), m_state(state), m_progress(progress), m_env(env)
    {
    }

    bool CarryOut()
    {
        BuildLists();
        m_progress.Open(MessageText(m_state.m_bUninstall ? MessageId::UninstallProgressTitle
                                                         : MessageId::InstallProgressTitle),
                        MessageText(MessageId::ProgressCopying));
        bool completed = Steps();
        m_progress.Close();
        if (completed)
            ShowClosingMessage();
        return completed;
    }

private:
    bool Steps()
    {
        // The uninstaller and the script it reads come first, so that
        // whatever is copied after them can be removed again, even when the
        // run stops half-way. Lists that cannot be carried out copy nothing
        // and need no way back.
        if (!m_state.m_bUninstall && !m_state.m_bFailed && !PlaceUninstaller())
            return false;
        DoFiles();
        m_progress.DisableCancel();
        DoRegistry();
        if (!DoIniFiles())
            return false;
        if (m_state.m_bFailed) {
            ReportScriptFailure();
            return false;
        }
        if (!m_state.m_bUninstall && m_state.m_bBookOption)
            MakeShortcut();
        if (m_state.m_bUninstall) {
            // What the removed viewer made for itself goes with it.
            const std::string viewer = ViewerProgramPath(m_state.m_strInstallFolder);
            RemoveDesktopShortcutsTo(viewer);
            UnregisterShellFileTypes(m_env.registry, viewer);
        }
        SetStartupEntries();
        // The start-up entries are data for a system that runs them at its
        // next start; no program here runs them.
        return true;
    }

    // The first failure decides the cause that the closing message gives.
    void Fail(MessageId cause)
    {
        if (!m_state.m_bFailed)
            m_cause = cause;
        m_state.m_bFailed = true;
    }

    // `text`, with the cause of the failure on a second line when one is known.
    void ShowFailure(MessageId text, MessageId caption, std::optional<MessageId> cause)
    {
        std::string message = MessageText(text);
        if (cause)
            message += std::string("\n") + MessageText(*cause);
        Prompter::Current().Ask(message, PromptButtons::Ok, PromptIcon::Exclamation,
                                MessageText(caption));
    }

    void ReportScriptFailure()
    {
        ShowFailure(MessageId::InstallScriptFailed, MessageId::InstallErrorTitle, m_cause);
    }

    void BuildLists()
    {
        InstallChoice choice;
        choice.uninstall = m_state.m_bUninstall;
        choice.viewerIncluded = m_state.m_package.viewerIncluded;
        choice.viewerOption = m_state.m_bViewerOption;
        choice.bookOption = m_state.m_bBookOption;
        choice.helpOption = m_state.m_bHelpOption;
        // Lists cut short by a runaway or oversized script are not carried
        // out: the failure is reported where every other one is.
        if (RunInstallSections(m_script, ChosenInstallSections(choice), m_state) !=
            ScriptRunStatus::Ok)
            Fail(MessageId::FailureScriptUnusable);
    }

    void DoFiles()
    {
        if (m_state.m_bFailed)
            return;
        const std::vector<FileEntry>& files = m_state.m_files;
        m_progress.SetRange(files.size());
        for (size_t i = 0; i < files.size(); ++i) {
            const FileEntry& entry = files[i];
            m_progress.SetNameLine(LastPathPart(entry.target ? *entry.target : entry.source));
            m_progress.SetPosition(i);
            m_progress.PumpOneEvent();
            int error = 0;
            if (entry.IsDeletion() || m_state.m_bUninstall) {
                if (!DeleteInstalledFile(entry.source, error)) {
                    Fail(FileFailureCause(error).value_or(MessageId::FailureFileNotRemoved));
                    return;
                }
            } else if (ConfirmReplacement(entry.source, *entry.target)) {
                CopyResult copied = CopyToInstalledFile(entry.source, *entry.target, error);
                if (copied != CopyResult::Copied) {
                    // A source that cannot be opened is missing from the
                    // package (or is no file) unless reading it is forbidden.
                    MessageId otherwise = copied == CopyResult::CannotOpenSource
                                              ? MessageId::FailurePackageFileMissing
                                              : MessageId::FailureFileNotWritten;
                    Fail(FileFailureCause(error).value_or(otherwise));
                    return;
                }
            }
            if (m_progress.CancelRequested()) {
                Fail(MessageId::FailureCancelled);
                return;
            }
        }
    }

    void DoRegistry()
    {
        if (!m_state.m_bUninstall)
            m_progress.SetNameLine(MessageText(MessageId::ProgressAddingRegistry));
        // The values belong to the installation the registry records; when
        // that is another one, they are left to it.
        if (m_state.m_bUninstall && m_state.m_bRegistryNamesAnother)
            return;
        Registry& registry = m_env.registry;
        for (const RegistryEntry& entry : m_state.m_registry) {
            if (m_state.m_bFailed)
                return;
            if (m_state.m_bUninstall) {
                // Uninstalling removes values and never makes keys: a key
                // that is gone holds nothing to delete.
                if (!entry.valueName.empty() && registry.KeyExists(entry.root, entry.key))
                    registry.DeleteValue(entry.root, entry.key, entry.valueName);
                continue;
            }
            RegistryStatus status = registry.CreateKey(entry.root, entry.key);
            if (status != RegistryStatus::Ok) {
                Fail(RegistryFailureCause(status));
                return;
            }
            if (!entry.hasData)
                // A DelReg line in an install section: its value goes, as it
                // would when uninstalling; a value that is not there is fine.
                registry.DeleteValue(entry.root, entry.key, entry.valueName);
            else if (entry.kind == RegistryValueKind::Text)
                status = registry.SetString(entry.root, entry.key, entry.valueName, entry.text);
            else
                status = registry.SetDword(entry.root, entry.key, entry.valueName, entry.number);
            if (status != RegistryStatus::Ok) {
                Fail(RegistryFailureCause(status));
                return;
            }
        }
    }

    // False when setup ends here (its message shown).
    bool DoIniFiles()
    {
        if (!m_state.m_bUninstall)
            m_progress.SetNameLine(MessageText(MessageId::ProgressAddingMenuItems));
        if (m_state.m_iniFiles.empty())
            return true;
        // The Windows folder always exists where ini files are at home; here
        // it is made on first use.
        std::string windows = SystemFolders::WindowsFolder();
        MakeFolderWithParents(windows);
        for (const IniFileEntry& ini : m_state.m_iniFiles) {
            if (m_state.m_bFailed) {
                ReportScriptFailure();
                return false;
            }
            std::string text = IniFileText(ArrangeIniLines(ini.lines));
            // Written whole or not at all: a failed write keeps the old file.
            AtomicFileWriter writer;
            if (!writer.Open(AppendPathPart(windows, ini.fileName))) {
                ShowFailure(MessageId::CannotCreateIniFile, MessageId::IniFileCreationTitle,
                            FileFailureCause(writer.Error()));
                return false;
            }
            if (!writer.Write(text.data(), text.size()) || !writer.Commit()) {
                ShowFailure(MessageId::CannotWriteIniFile, MessageId::IniFileCreationTitle,
                            FileFailureCause(writer.Error()));
                return false;
            }
        }
        return true;
    }

    // The whole program file is copied, however large it is, and the script
    // beside it, which the uninstaller reads to know what to remove.
    bool PlaceUninstaller()
    {
        m_progress.SetNameLine(MessageText(MessageId::ProgressAddingUninstaller));
        MessageId failure;
        int error = 0;
        const std::string& folder = m_state.m_strInstallFolder;
        switch (CopyToInstalledFile(m_env.ownProgramPath, UninstallerPath(folder), error)) {
        case CopyResult::Copied: {
            const std::string& text = m_script.Text();
            if (WriteFileAtomically(AppendPathPart(folder, kScriptFileName), text, error))
                return true;
            failure = MessageId::ErrorCopyingUninstallFile;
            break;
        }
        case CopyResult::CannotOpenSource:
            failure = MessageId::CannotOpenSetupFile;
            error = 0; // the setup program's own file: no cause the user can mend
            break;
        case CopyResult::CannotCreateTarget:
            failure = MessageId::CannotCreateUninstallFile;
            break;
        default:
            failure = MessageId::ErrorCopyingUninstallFile;
            break;
        }
        ShowFailure(failure, MessageId::UninstallCopyFailedTitle, FileFailureCause(error));
        return false;
    }

    // The viewer loads the Picture Book, makes its desktop shortcut and ends;
    // a viewer that cannot be started is passed over in silence.
    void MakeShortcut()
    {
        m_progress.SetNameLine(MessageText(MessageId::ProgressAddingShortcut));
        std::string viewer = ViewerProgramPath(m_state.m_strInstallFolder);
        // One argument, whatever the book's path holds (a quote, a blank).
        ProcessLauncher::Current().RunProgramAndWait(viewer, {"/shortcut=" + PictureBookFilePath(m_state)},
                                                     m_state.m_strInstallFolder, m_env.viewerWaitLimit);
    }

    // The RunOnce key always exists where it is used; here it is made when
    // missing, and only a registry that cannot be written leaves the step out.
    void SetStartupEntries()
    {
        Registry& registry = m_env.registry;
        const RegistryRoot root = RegistryRoot::LocalMachine;
        if (registry.CreateKey(root, kRunOnceKey) != RegistryStatus::Ok)
            return;
        if (registry.HasSubKey(root, kRunOnceKey, "Setup"))
            registry.SetString(root, kRunOnceKey, "Wrapper", "runonce");
        registry.SetString(root, kRunOnceKey, "GrpConv", "grpconv -o");
        if (m_state.m_bUninstall && !m_env.ownProgramPath.empty())
            ScheduleSelfDelete(m_env.ownProgramPath);
    }

    void ShowClosingMessage()
    {
        if (!m_state.m_bUninstall) {
            Show(MessageId::InstalledSuccessfully, {}, PromptButtons::Ok, PromptIcon::Information,
                 MessageId::InstallCompletedTitle);
            return;
        }
        // The uninstaller's file is gone already, so no restart is needed.
        Show(MessageId::UninstallRemoved, {}, PromptButtons::Ok, PromptIcon::Information,
             MessageId::UninstallCompletedTitle);
    }

    const SetupScript& m_script;
    SetupState& m_state;
    InstallProgress& m_progress;
    InstallEnvironment& m_env;
    std::optional<MessageId> m_cause;
};

} // namespace

std::string ViewerProgramPath(const std::string& installFolder)
{
    return AppendPathPart(installFolder, "Corvale.exe");
}

std::string UninstallerPath(const std::string& installFolder)
{
    return AppendPathPart(installFolder, "Uninstall.exe");
}

std::string PictureBookFilePath(const SetupState& state)
{
    return AppendPathPart(PictureBookFolder(state.m_strInstallFolder, state.m_package.description),
                          state.m_package.bookFile);
}

bool WriteUserInfo(const SetupState& state, Registry& registry)
{
    bool ok = true;
    auto write = [&](const char* name, const std::string& value) {
        if (!value.empty() &&
            registry.SetString(RegistryRoot::LocalMachine, kUserInfoKey, name, value) !=
                RegistryStatus::Ok)
            ok = false;
    };
    write(kUserInfoUserName, state.m_strUserName);
    write(kUserInfoCompanyName, state.m_strCompanyName);
    write(kUserInfoEmailAddress, state.m_strEmailAddress);
    write(kUserInfoInstallationPath, state.m_strInstallFolder);
    return ok;
}

bool PrepareFolders(const SetupState& state)
{
    const std::string& folder = state.m_strInstallFolder;
    switch (KindOfPath(folder)) {
    case PathKind::Missing:
        if (Show(MessageId::DirectoryDoesNotExist, {folder}, PromptButtons::YesNo,
                 PromptIcon::Question, MessageId::ConfirmDirectoryCreationTitle) != PromptReply::Yes)
            return false;
        if (!MakeFolderWithParents(folder)) {
            ShowError(MessageId::FailedToCreateDirectory, MessageId::BadDirectoryTitle, {folder});
            return false;
        }
        break;
    case PathKind::Other:
        ShowError(MessageId::NotADirectory, MessageId::BadDirectoryTitle, {folder});
        return false;
    case PathKind::Folder:
        break;
    }
    // Without the Picture Book's folder the run still goes on: its files then
    // fail to copy and the failure is reported at the end.
    std::string book = PictureBookFolder(folder, state.m_package.description);
    if (KindOfPath(book) == PathKind::Other)
        ShowError(MessageId::NotADirectory, MessageId::BadDirectoryTitle, {book});
    else if (!MakeFolderWithParents(book))
        ShowError(MessageId::FailedToCreateDirectory, MessageId::BadDirectoryTitle, {book});
    return true;
}

bool CarryOut(const SetupScript& script, SetupState& state, InstallProgress& progress,
              InstallEnvironment& env)
{
    return Run(script, state, progress, env).CarryOut();
}

bool RunInstallation(const SetupScript& script, SetupState& state, InstallProgress& progress,
                     InstallEnvironment& env)
{
    WriteUserInfo(state, env.registry);
    if (!PrepareFolders(state))
        return false;
    return CarryOut(script, state, progress, env);
}

bool RunUninstall(InstallProgress& progress, InstallEnvironment& env)
{
    SetupScript script;
    std::string setupFolder;
    if (LoadScript(env.ownProgramPath, script, setupFolder) != ScriptLoadStatus::Loaded)
        return false;
    SetupState state;
    state.m_bUninstall = true;
    state.m_package = ReadPackageInfo(script);
    // The installation to remove is the one the uninstaller stands in. The
    // registry records the latest installation, which may be another.
    std::string installFolder = setupFolder;
    while (installFolder.size() > 1 && installFolder.back() == '/')
        installFolder.pop_back();
    std::string registered;
    state.m_bRegistryNamesAnother =
        env.registry.GetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoInstallationPath,
                               registered) == RegistryStatus::Ok &&
        !registered.empty() && !IsSameFolder(registered, installFolder);
    state.m_strInstallFolder = installFolder;
    state.m_directories =
        DirectoryTable::ForInstallation(setupFolder, installFolder, state.m_package.description);
    return CarryOut(script, state, progress, env);
}
