#pragma once
// Third-party encoders and decoders for reference files: ImageMagick
// (convert-im6.q16) and Pillow (through /usr/bin/python3), plus binary PPM
// reading and writing for the reference pixels.

#include <cstdint>
#include <string>
#include <vector>

// An RGB picture, top row first, three bytes a pixel.
struct RgbPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;
};

bool RefHaveImageMagick();
// `s` quoted for the shell.
std::string RefQuote(const std::string& s);
bool RefHavePillow();
// Runs a shell command; true when it exits with 0.
bool RefRun(const std::string& command);
// `convert-im6.q16 <args>`.
bool RefMagick(const std::string& args);
// Runs a Python snippet with Pillow's interpreter; `argv` values are given as sys.argv[1:].
bool RefPillow(const std::string& script, const std::vector<std::string>& argv);

bool RefWritePpm(const std::string& path, const RgbPicture& picture);
bool RefReadPpm(const std::string& path, RgbPicture& picture);

// Reference pixels of any picture file as the tool decodes it.
bool RefMagickPixels(const std::string& path, const std::string& scratch, RgbPicture& picture);
bool RefPillowPixels(const std::string& path, const std::string& scratch, RgbPicture& picture);

class SECImage;
// The pixels of a picture in displayable form (1, 4, 8 or 24 bits), colour
// indices looked up in its colour table. False for other forms.
bool RefImagePixels(const SECImage& image, RgbPicture& picture);
