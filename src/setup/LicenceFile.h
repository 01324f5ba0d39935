#pragma once
// The licence agreement the setup program shows before it installs the
// viewer: the file "license.txt" beside the setup program.

#include <cstdint>
#include <string>

constexpr char kLicenceFileName[] = "license.txt";
// Far more than any licence; a larger file is refused rather than held in memory.
constexpr uint64_t kMaxLicenceBytes = uint64_t(4) << 20;

// The licence file in `setupFolder` (which ends in a separator), in any letter case.
std::string LicencePathIn(const std::string& setupFolder);

// Reads the licence as UTF-8 into `text`. On failure shows its message (under
// "Corvale Installation Critical Error") and returns false: setup cannot ask
// for an agreement the user cannot read, so every failure ends it.
bool LoadLicenceText(const std::string& setupFolder, std::string& text);
