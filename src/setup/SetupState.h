#pragma once
// The setup program's one state record for its whole run: what the user chose,
// the directory table, and the work lists that the install sections add to.

#include "setup/DirectoryTable.h"
#include "setup/PackageInfo.h"
#include "setup/WorkLists.h"

#include <cstddef>
#include <cstdint>
#include <vector>

enum class InstallType { Express, Custom, Minimal };

// The longest text the wizard and the registry hand over (a field of 259
// bytes with its terminating NUL).
constexpr size_t kMaxStateText = 258;

struct SetupState {
    bool m_bUninstall = false;
    std::string m_strInstallFolder;
    // Editions of the viewer found on this computer; set before the wizard.
    bool m_bViewerFound = false;
    bool m_bPlusFound = false;
    // Where Corvale PLUS was installed, from the registry.
    std::string m_strPlusFolder;
    // The wizard's three options.
    bool m_bViewerOption = false;
    bool m_bBookOption = false;
    bool m_bHelpOption = false;
    InstallType m_installType = InstallType::Express;
    bool m_bLicenceAccepted = false;
    // The sum of the chosen parts' sizes, in bytes.
    uint64_t m_nRequiredSpace = 0;
    // Who installs, from the wizard; written for later runs when not empty.
    std::string m_strUserName;
    std::string m_strCompanyName;
    std::string m_strEmailAddress;
    // What the script's [Strings] say about the package.
    PackageInfo m_package;

    // Uninstalling: the registry records an installation in another folder,
    // so the registry values are that one's and stay.
    bool m_bRegistryNamesAnother = false;

    // Set by any step of the installation that fails; never cleared again.
    bool m_bFailed = false;

    // Complete before the first install section runs.
    DirectoryTable m_directories;

    // Entries are only ever appended, in script order.
    std::vector<FileEntry> m_files;
    std::vector<RegistryEntry> m_registry;
    std::vector<IniFileEntry> m_iniFiles;
    // Lines passed over, in the order met; a line may appear once per
    // install section that reaches it.
    std::vector<SkippedLine> m_skipped;

    // What building the lists has cost so far, against the limits that keep
    // a hostile script from exhausting memory or time.
    size_t m_nWorkListBytes = 0;
    size_t m_nScriptSteps = 0;
};
