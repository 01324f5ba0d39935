#pragma once
// Chooses the image class for a picture file by the last four characters of
// its name, upper-cased: ".GIF", ".JPG", ".BMP", ".TIF", ".PCX". Names ending
// otherwise (".jpeg" and ".tiff" included) have no class.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SECImage;

std::unique_ptr<SECImage> CreateImageForFileName(const std::string& fileName);

// Loads the picture whose file bytes are `bytes` with the class `fileName`
// calls for; null when the name has no class or the bytes do not load.
std::unique_ptr<SECImage> LoadImageFromBytes(const std::string& fileName, const std::vector<uint8_t>& bytes);
