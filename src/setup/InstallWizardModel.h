#pragma once
// The rules of the install wizard's six pages, without a window: what each
// page shows, what the user's choices set in the setup state, and the checks
// before a page is left. The Qt wizard shows what this decides.

#include "platform/MessageTable.h"
#include "platform/Registry.h"
#include "setup/SetupState.h"

#include <cstdint>
#include <functional>
#include <string>

// Where the notes send people for the viewer and Corvale PLUS.
constexpr char kMakerWebPage[] = "http://www.quillfen.com/corvale/";

enum class WizardOption { Viewer, Book, Help };

// How the custom page shows its three boxes, decided when it is first shown.
struct CustomPageLayout {
    bool viewerEnabled = true;
    bool helpEnabled = true;
    std::string note;
};

// The sizes the where-to-install page lists, in bytes.
struct RequiredSpace {
    uint64_t viewer = 0;
    uint64_t photos = 0;
    uint64_t help = 0;
    uint64_t total = 0;
};

class InstallWizardModel {
public:
    // Free bytes on the disk holding a folder; false when it cannot be told.
    using FreeSpaceProbe = std::function<bool(const std::string& folder, uint64_t& bytes)>;

    InstallWizardModel(SetupState& state, const Registry& registry);

    SetupState& State() { return m_state; }
    const SetupState& State() const { return m_state; }
    void SetFreeSpaceProbe(FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }

    // Welcome: the package text (UTF-8).
    std::string PackageText() const;
    // True when the licence must be shown before the welcome page is left:
    // the package brings the viewer and no edition is installed. In every
    // other case the licence counts as accepted. Never true twice.
    bool NeedsLicence();
    void AcceptLicence() { m_state.m_bLicenceAccepted = true; }
    // True when the user will have no viewer at all after this installation.
    bool NeedsViewerNotice() const;

    // Who are you: the name is required.
    static bool CanLeaveWhoPage(const std::string& name) { return !name.empty(); }
    void StoreWho(const std::string& name, const std::string& company, const std::string& email);

    // Installation type: Express the first time; each choice sets the options.
    void ShowTypePage();
    void ChooseType(InstallType type);

    // Custom options: adjusted by what is included and installed the first
    // time the page is shown, then only by the user's clicks.
    const CustomPageLayout& ShowCustomPage();
    bool Option(WizardOption option) const;
    void ToggleOption(WizardOption option);
    bool AnyOptionChosen() const;

    // Where to install: the default folder the first time.
    void ShowWherePage();
    MessageId InstructionLine() const;
    // The chosen parts' sizes; also sets the state's required space.
    RequiredSpace ComputeRequiredSpace();
    // " 1.50 Meg" for 1,500,000 bytes.
    static std::string FormatMegabytes(uint64_t bytes);
    static bool CanLeaveWherePage(const std::string& text) { return !text.empty(); }
    // Checks the typed folder: it must be a folder (the user may have it
    // created) with room for the installation (or the user's word to go on).
    // True stores it as the installation folder.
    bool LeaveWherePage(const std::string& text);

    // The folder a typed path stands for: cut to the field's length, without
    // trailing separators, "~" read as the home folder, relative to the
    // current folder made absolute.
    static std::string FolderFromField(const std::string& text);

private:
    SetupState& m_state;
    const Registry& m_registry;
    FreeSpaceProbe m_freeSpace;
    bool m_bTypePageShown = false;
    bool m_bCustomPageShown = false;
    bool m_bWherePageShown = false;
    CustomPageLayout m_customLayout;
};
