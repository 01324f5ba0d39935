#include "setup/InstallWizardModel.h"

#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/SystemFolders.h"
#include "setup/SetupStart.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace {

PromptReply Ask(MessageId text, PromptButtons buttons, PromptIcon icon, MessageId caption)
{
    return Prompter::Current().Ask(MessageText(text), buttons, icon, MessageText(caption));
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// A size the script gives counts when the part is chosen; a missing one is 0.
uint64_t PartSize(int64_t scriptSize, bool chosen)
{
    return chosen && scriptSize >= 0 ? static_cast<uint64_t>(scriptSize) : 0;
}

// The state's flag for `option`; const or not as the state is.
template <class State>
auto& OptionIn(State& state, WizardOption option)
{
    switch (option) {
    case WizardOption::Viewer: return state.m_bViewerOption;
    case WizardOption::Book: return state.m_bBookOption;
    case WizardOption::Help: break;
    }
    return state.m_bHelpOption;
}

} // namespace

InstallWizardModel::InstallWizardModel(SetupState& state, const Registry& registry)
    : m_state(state), m_registry(registry), m_freeSpace(&FreeDiskBytes)
{
}

std::string InstallWizardModel::PackageText() const
{
    const PackageInfo& package = m_state.m_package;
    std::string text =
        FormatMessageText(MessageId::WelcomePackage, {package.description, package.owner});
    if (package.viewerIncluded)
        text += MessageText(MessageId::WelcomeViewerIncluded);
    return text;
}

bool InstallWizardModel::NeedsLicence()
{
    if (m_state.m_bLicenceAccepted)
        return false;
    if (m_state.m_package.viewerIncluded && !m_state.m_bViewerFound && !m_state.m_bPlusFound)
        return true;
    m_state.m_bLicenceAccepted = true;
    return false;
}

bool InstallWizardModel::NeedsViewerNotice() const
{
    return !m_state.m_package.viewerIncluded && !m_state.m_bViewerFound && !m_state.m_bPlusFound;
}

void InstallWizardModel::StoreWho(const std::string& name, const std::string& company,
                                  const std::string& email)
{
    m_state.m_strUserName = CutStateText(name);
    m_state.m_strCompanyName = CutStateText(company);
    m_state.m_strEmailAddress = CutStateText(email);
}

void InstallWizardModel::ShowTypePage()
{
    if (m_bTypePageShown)
        return;
    m_bTypePageShown = true;
    ChooseType(InstallType::Express);
}

void InstallWizardModel::ChooseType(InstallType type)
{
    m_state.m_installType = type;
    m_state.m_bViewerOption = type == InstallType::Express;
    m_state.m_bBookOption = type != InstallType::Custom;
    m_state.m_bHelpOption = type == InstallType::Express;
}

const CustomPageLayout& InstallWizardModel::ShowCustomPage()
{
    if (m_bCustomPageShown)
        return m_customLayout;
    m_bCustomPageShown = true;

    const bool included = m_state.m_package.viewerIncluded;
    const bool viewer = m_state.m_bViewerFound;
    const bool plus = m_state.m_bPlusFound;
    const std::string page = kMakerWebPage;
    CustomPageLayout& layout = m_customLayout;
    layout.note = FormatMessageText(MessageId::CustomNoteSuggestion, {page});

    // Only the Picture Book can be chosen: the viewer must not (or cannot) be installed.
    auto bookOnly = [&](std::string note) {
        m_state.m_bViewerOption = false;
        m_state.m_bHelpOption = false;
        m_state.m_bBookOption = true;
        layout.viewerEnabled = false;
        layout.helpEnabled = false;
        layout.note = std::move(note);
    };
    if (!included) {
        bookOnly(FormatMessageText(viewer || plus ? MessageId::CustomNoteHaveViewer
                                                  : MessageId::CustomNoteNoViewer,
                                   {page}));
    } else if (!viewer && !plus) {
        m_state.m_bViewerOption = true;
    } else if (viewer && !plus) {
        m_state.m_bViewerOption = false;
        m_state.m_bHelpOption = false;
        layout.note = FormatMessageText(MessageId::CustomNoteReinstall, {page});
    } else if (plus && !viewer) {
        bookOnly(MessageText(MessageId::CustomNotePlusInstalled));
    }
    return layout;
}

bool InstallWizardModel::Option(WizardOption option) const
{
    return OptionIn(m_state, option);
}

void InstallWizardModel::ToggleOption(WizardOption option)
{
    bool& flag = OptionIn(m_state, option);
    flag = !flag;
}

bool InstallWizardModel::AnyOptionChosen() const
{
    return m_state.m_bViewerOption || m_state.m_bBookOption || m_state.m_bHelpOption;
}

void InstallWizardModel::ShowWherePage()
{
    if (m_bWherePageShown)
        return;
    m_bWherePageShown = true;
    if (!m_state.m_strPlusFolder.empty())
        m_state.m_strInstallFolder = m_state.m_strPlusFolder;
    if (m_state.m_strInstallFolder.empty())
        m_state.m_strInstallFolder = DefaultInstallFolder(m_state, m_registry);
}

MessageId InstallWizardModel::InstructionLine() const
{
    if (m_state.m_bViewerOption)
        return m_state.m_bViewerFound ? MessageId::WhereViewerFound : MessageId::WhereInstallViewer;
    return m_state.m_bViewerFound || m_state.m_bPlusFound ? MessageId::WhereFoundBelow
                                                          : MessageId::WhereInstallFiles;
}

RequiredSpace InstallWizardModel::ComputeRequiredSpace()
{
    const PackageInfo& package = m_state.m_package;
    RequiredSpace space;
    space.viewer = PartSize(package.spaceViewer, m_state.m_bViewerOption);
    space.photos = PartSize(package.spacePhotos, m_state.m_bBookOption);
    space.help = PartSize(package.spaceHelp, m_state.m_bHelpOption);
    // A script may claim sizes near 2^63 each; the sum stops at the largest
    // count rather than wrapping to a small one that any disk would hold.
    space.total = space.viewer;
    for (uint64_t part : {space.photos, space.help})
        space.total = part > UINT64_MAX - space.total ? UINT64_MAX : space.total + part;
    m_state.m_nRequiredSpace = space.total;
    return space;
}

std::string InstallWizardModel::FormatMegabytes(uint64_t bytes)
{
    char number[64];
    std::snprintf(number, sizeof number, "%.2f", static_cast<double>(bytes) * 0.000001);
    return FormatMessageText(MessageId::SpaceMegabytes, {number});
}

std::string InstallWizardModel::FolderFromField(const std::string& text)
{
    std::string folder = CutStateText(text);
    while (folder.size() > 1 && IsSeparator(folder.back()))
        folder.pop_back();
    if (folder == "~" || folder.rfind("~/", 0) == 0)
        folder = SystemFolders::HomeFolder() + folder.substr(1);
    if (!folder.empty() && folder[0] != '/') {
        std::error_code ec;
        std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
        if (!ec)
            folder = absolute.lexically_normal().string();
        while (folder.size() > 1 && IsSeparator(folder.back()))
            folder.pop_back();
    }
    return folder;
}

bool InstallWizardModel::LeaveWherePage(const std::string& text)
{
    std::string folder = FolderFromField(text);
    if (folder.empty())
        return false;
    switch (KindOfPath(folder)) {
    case PathKind::Other:
        Ask(MessageId::SelectionNotADirectory, PromptButtons::Ok, PromptIcon::Exclamation,
            MessageId::BadDirectoryTitle);
        return false;
    case PathKind::Missing: {
        if (Ask(MessageId::NoSuchDirectory, PromptButtons::YesNo, PromptIcon::Question,
                MessageId::NoDirectoryTitle) != PromptReply::Yes)
            return false;
        if (!MakeFolderWithParents(folder)) {
            Ask(MessageId::FailedToCreateTheDirectory, PromptButtons::Ok, PromptIcon::Exclamation,
                MessageId::BadDirectoryTitle);
            return false;
        }
        break;
    }
    case PathKind::Folder:
        break;
    }
    uint64_t free = 0;
    if (m_freeSpace && m_freeSpace(folder, free) && free < m_state.m_nRequiredSpace &&
        Ask(MessageId::InsufficientSpace, PromptButtons::YesNoDefaultNo, PromptIcon::Exclamation,
            MessageId::InsufficientSpaceTitle) != PromptReply::Yes)
        return false;
    m_state.m_strInstallFolder = folder;
    return true;
}
