#pragma once
// Setup scripts made by code for the tests, and a directory table with short,
// fixed folders so expected paths read plainly.

#include "setup/DirectoryTable.h"
#include "setup/InstallSection.h"
#include "setup/SetupScript.h"

#include <initializer_list>
#include <string>
#include <string_view>

inline std::string ScriptText(std::initializer_list<std::string_view> lines,
                              std::string_view eol = "\r\n")
{
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += eol;
    }
    return text;
}

inline DirectoryTable SampleDirectories()
{
    DirectoryTable table;
    table.Set(DirectoryTable::kSetupFolder, "/pkg/");
    table.Set(DirectoryTable::kSystemFolder, "/win/system");
    table.Set(DirectoryTable::kInstallFolder, "/inst");
    table.Set(DirectoryTable::kPictureBookFolder, "/inst/My Photos/Book");
    return table;
}

// Runs one install section of `text` over the sample directories.
struct SectionRun {
    SetupState state;
    ScriptRunStatus status = ScriptRunStatus::Ok;

    SectionRun(const std::string& text, std::string_view section)
    {
        SetupScript script(text);
        state.m_directories = SampleDirectories();
        status = RunInstallSection(script, section, state);
    }
};
