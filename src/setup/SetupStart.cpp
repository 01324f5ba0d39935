#include "setup/SetupStart.h"

#include "platform/CodePage.h"
#include "platform/EditionRecord.h"
#include "platform/FileSystem.h"
#include "platform/SettingsKeys.h"
#include "platform/SystemFolders.h"
#include "setup/Installation.h"
#include "setup/ScriptText.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kProgramFilesValue[] = "ProgramFilesDir";

void ReadField(const Registry& registry, const char* key, const char* value, std::string& field)
{
    std::string text;
    if (registry.GetString(RegistryRoot::LocalMachine, key, value, text) == RegistryStatus::Ok)
        field = CutStateText(std::move(text));
}

// The edition installed in `folder`, or false when it holds no viewer.
bool InstalledEdition(const std::string& folder, ViewerEdition& edition)
{
    if (folder.empty())
        return false;
    std::string program = ViewerProgramPath(folder);
    if (!IsRegularFile(program))
        return false;
    edition = ReadViewerEdition(program);
    return true;
}

} // namespace

bool IsUninstallCommandLine(const std::string& commandLine)
{
    std::string lower = commandLine;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("uninstall.exe") != std::string::npos;
}

std::string CutStateText(std::string text)
{
    return CutUtf8(std::move(text), kMaxStateText);
}

void ReadRegisteredInfo(SetupState& state, const Registry& registry)
{
    ReadField(registry, kUserInfoKey, kUserInfoUserName, state.m_strUserName);
    ReadField(registry, kUserInfoKey, kUserInfoCompanyName, state.m_strCompanyName);
    ReadField(registry, kUserInfoKey, kUserInfoEmailAddress, state.m_strEmailAddress);
    ReadField(registry, kUserInfoKey, kUserInfoInstallationPath, state.m_strInstallFolder);
    ReadField(registry, kPlusUserInfoKey, kUserInfoInstallationPath, state.m_strPlusFolder);
}

void DetectEditions(SetupState& state)
{
    state.m_bViewerFound = false;
    state.m_bPlusFound = false;
    ViewerEdition edition;
    if (InstalledEdition(state.m_strInstallFolder, edition))
        (edition == ViewerEdition::Plus ? state.m_bPlusFound : state.m_bViewerFound) = true;
    if (InstalledEdition(state.m_strPlusFolder, edition)) {
        if (edition == ViewerEdition::Plus) {
            state.m_bPlusFound = true;
        } else {
            state.m_bViewerFound = true;
            if (state.m_strInstallFolder.empty())
                state.m_strInstallFolder = state.m_strPlusFolder;
        }
    }
}

std::string DefaultInstallFolder(const SetupState& state, const Registry& registry)
{
    std::string programFiles;
    if (registry.GetString(RegistryRoot::LocalMachine, kCurrentVersionKey, kProgramFilesValue,
                           programFiles) != RegistryStatus::Ok ||
        programFiles.empty())
        programFiles = SystemFolders::ProgramFilesFolder();
    std::string folder = AppendPathPart(AppendPathPart(programFiles, "Quillfen"), "Corvale");
    if (!state.m_bViewerFound && state.m_bPlusFound)
        folder += " PLUS";
    return CutStateText(std::move(folder));
}
