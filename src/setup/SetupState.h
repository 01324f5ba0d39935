#pragma once
// The setup program's one state record for its whole run: the directory table
// and the work lists that the install sections add to.

#include "setup/DirectoryTable.h"
#include "setup/WorkLists.h"

#include <cstddef>
#include <vector>

struct SetupState {
    // Complete before the first install section runs.
    DirectoryTable m_directories;

    // Entries are only ever appended, in script order.
    std::vector<FileEntry> m_files;
    std::vector<RegistryEntry> m_registry;
    std::vector<IniFileEntry> m_iniFiles;

    // What building the lists has cost so far, against the limits that keep
    // a hostile script from exhausting memory or time.
    size_t m_nWorkListBytes = 0;
    size_t m_nScriptSteps = 0;
};
