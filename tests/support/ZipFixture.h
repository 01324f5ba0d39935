#pragma once
// Test fixtures for the ZIP import: archives written with libzip, the byte
// patches that make them damaged or hostile, and Picture Book files to put in them.

#include <cstdint>
#include <string>
#include <vector>

struct ZipItem {
    std::string name;  // stored exactly as given
    std::string bytes;
    bool store = false; // kept uncompressed, so its bytes can be found and damaged
    bool utf8 = false;  // the name marked as UTF-8; otherwise it carries no mark
};

// Writes the entries in this order; false when libzip fails.
bool WriteZip(const std::string& path, const std::vector<ZipItem>& items);
// Makes the local and central headers of entry `name` declare `size` bytes
// once extracted.
bool PatchDeclaredSize(const std::string& path, const std::string& name, uint32_t size);
// Flips one byte in the middle of the data of entry `name`.
bool DamageEntryData(const std::string& path, const std::string& name);

// A Picture Book file: the title and sender, then one group holding a
// photograph for each name in `photos`; the first photograph carries a sound
// clip for each name in `media`.
std::string PictureBookBytes(const std::string& title, const std::vector<std::string>& photos,
                             const std::vector<std::string>& media = {});
