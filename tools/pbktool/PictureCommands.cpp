#include "PictureCommands.h"

#include "image/DibRenderer.h"
#include "image/DisplayCopy.h"
#include "image/ImageFactory.h"
#include "image/SECDib.h"
#include "platform/AtomicFile.h"
#include "platform/MessageTable.h"

#include <memory>
#include <ostream>
#include <strings.h>

namespace {

bool HasEnding(const std::string& name, const char* ending)
{
    size_t n = std::char_traits<char>::length(ending);
    return name.size() >= n && strcasecmp(name.c_str() + name.size() - n, ending) == 0;
}

// Loads `path` with the class its name calls for; on failure `message` holds
// what the viewer would have said.
std::unique_ptr<SECImage> LoadPicture(const std::string& path, std::string& message)
{
    std::unique_ptr<SECImage> image = CreateImageForFileName(path);
    if (!image) {
        message = FormatMessageText(MessageId::ImageNotSupported, {path});
        return nullptr;
    }
    if (!image->LoadImage(path)) {
        message = FormatMessageText(MessageId::CouldNotLoadImage, {path});
        return nullptr;
    }
    return image;
}

// Writes the picture as drawn: a binary P6 PPM of 8-bit RGB, or a 24-bit BMP.
bool WriteRendered(const SECImage& image, const std::string& path, std::string& message)
{
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    // A picture without pixels (a GIF of a screen and no image) is not drawn,
    // as the viewer draws none: its size alone is anyone's to declare.
    if (!image.HasPicture() || !DibRenderer::Render(image, pixels, width, height)) {
        message = "the picture cannot be drawn";
        return false;
    }
    std::string bytes;
    if (HasEnding(path, ".ppm")) {
        bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
        bytes.reserve(bytes.size() + pixels.size() * 3);
        for (uint32_t p : pixels) {
            bytes += static_cast<char>((p >> 16) & 0xFF);
            bytes += static_cast<char>((p >> 8) & 0xFF);
            bytes += static_cast<char>(p & 0xFF);
        }
    } else {
        SECDib dib;
        if (!dib.Create(width, height, 24, 0)) {
            message = "out of memory";
            return false;
        }
        size_t stride = static_cast<size_t>(dib.PaddedRowLength());
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = dib.GetBits() + (height - 1 - y) * stride;
            for (uint32_t x = 0; x < width; ++x) {
                uint32_t p = pixels[static_cast<size_t>(y) * width + x];
                row[3 * x] = static_cast<uint8_t>(p);
                row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
            }
        }
        CMemFile file;
        if (!dib.SaveImage(&file)) {
            message = "the BMP cannot be written";
            return false;
        }
        bytes.assign(file.Bytes().begin(), file.Bytes().end());
    }
    int err = 0;
    if (!WriteFileAtomically(path, bytes, err)) {
        message = FormatMessageText(MessageId::FileErrorGeneric, {path});
        return false;
    }
    return true;
}

bool ValidOutput(const std::string& path)
{
    return HasEnding(path, ".ppm") || HasEnding(path, ".bmp");
}

bool ParseInt(const std::string& text, int& value)
{
    try {
        size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

// "a, b or c".
std::string ListOfChoices(const std::vector<std::string>& choices)
{
    std::string text;
    for (size_t i = 0; i < choices.size(); ++i)
        text += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
    return text;
}

// The values each setting takes, with what they mean, from the display copy's own tables.
std::string AllowedSizes()
{
    std::vector<std::string> choices;
    uint32_t w = 0, h = 0;
    for (int i = 0; DisplayCopy::ShrinkLimit(i, w, h); ++i)
        choices.push_back(std::to_string(i) + " (" + std::to_string(w) + "x" + std::to_string(h) + ")");
    return ListOfChoices(choices);
}

std::string AllowedFactors()
{
    std::vector<std::string> choices{"0 (the largest that fits)"};
    uint32_t n = 0, d = 0;
    for (int i = 1; DisplayCopy::ShrinkFraction(i, n, d); ++i)
        choices.push_back(std::to_string(i) + " (" + std::to_string(n) + "/" + std::to_string(d) + ")");
    return ListOfChoices(choices);
}

} // namespace

int DecodePicture(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    if (args.size() != 3 || !ValidOutput(args[2])) {
        err << "usage: pbktool decode PICTURE OUT.ppm|OUT.bmp\n";
        return 2;
    }
    std::string message;
    std::unique_ptr<SECImage> image = LoadPicture(args[1], message);
    if (!image || !WriteRendered(*image, args[2], message)) {
        err << message << "\n";
        return 1;
    }
    return 0;
}

int ShrinkPicture(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    int size = 2, factor = 0;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        if ((args[i] == "--size" || args[i] == "--factor") && i + 1 < args.size()) {
            if (!ParseInt(args[i + 1], args[i] == "--size" ? size : factor)) {
                files.clear();
                break;
            }
            ++i;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2 || !ValidOutput(files[1])) {
        err << "usage: pbktool shrink PICTURE OUT.ppm|OUT.bmp [--size N] [--factor F]\n";
        return 2;
    }
    // The viewer reads a value it does not know as "no shrinking"; asked for
    // on the command line, it is a mistake worth saying.
    uint32_t a = 0, b = 0;
    if (!DisplayCopy::ShrinkLimit(size, a, b)) {
        err << "pbktool shrink: --size must be " << AllowedSizes() << "\n";
        return 2;
    }
    if (factor != 0 && !DisplayCopy::ShrinkFraction(factor, a, b)) {
        err << "pbktool shrink: --factor must be " << AllowedFactors() << "\n";
        return 2;
    }
    std::string message;
    std::unique_ptr<SECImage> image = LoadPicture(files[0], message);
    if (!image) {
        err << message << "\n";
        return 1;
    }
    uint32_t width = 0, height = 0;
    DisplayCopy::Action action =
        DisplayCopy::Decide(image->GetWidth(), image->GetHeight(), true, size, factor, width, height);
    SECDib copy;
    const SECImage* shown = image.get();
    if (action == DisplayCopy::Action::Shrink) {
        if (!DisplayCopy::Scale(*image, width, height, copy)) {
            err << "the display copy cannot be made\n";
            return 1;
        }
        shown = &copy;
    }
    if (!WriteRendered(*shown, files[1], message)) {
        err << message << "\n";
        return 1;
    }
    return 0;
}
