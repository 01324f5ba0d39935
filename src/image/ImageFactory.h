#pragma once
// Chooses the image class for a picture file by the last four characters of
// its name, upper-cased: ".GIF", ".JPG", ".BMP", ".TIF", ".PCX". Names ending
// otherwise (".jpeg" and ".tiff" included) have no class.

#include <memory>
#include <string>

class SECImage;

std::unique_ptr<SECImage> CreateImageForFileName(const std::string& fileName);
