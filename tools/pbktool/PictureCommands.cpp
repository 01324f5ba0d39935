#include "PictureCommands.h"

#include "image/DibRenderer.h"
#include "image/DisplayCopy.h"
#include "image/ImageFactory.h"
#include "image/SECDib.h"
#include "platform/AtomicFile.h"
#include "platform/MessageTable.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>
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

// Little-endian fields of the BMP headers.
void Put16(std::string& bytes, uint32_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& bytes, uint32_t value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

// The headers of a 24-bit bottom-up BMP file, or of a binary P6 PPM.
std::string OutputHeader(bool ppm, uint32_t width, uint32_t height, uint64_t rowBytes)
{
    if (ppm)
        return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    const uint32_t offset = 14 + 40;
    uint64_t size = offset + rowBytes * height;
    std::string bytes = "BM";
    Put32(bytes, size > UINT32_MAX ? 0 : static_cast<uint32_t>(size));
    Put32(bytes, 0);
    Put32(bytes, offset);
    Put32(bytes, 40);
    Put32(bytes, width);
    Put32(bytes, height);
    Put16(bytes, 1);
    Put16(bytes, 24);
    Put32(bytes, 0); // BI_RGB
    Put32(bytes, static_cast<uint32_t>(std::min<uint64_t>(rowBytes * height, UINT32_MAX)));
    Put32(bytes, 2835); // 72 dots an inch
    Put32(bytes, 2835);
    Put32(bytes, 0);
    Put32(bytes, 0);
    return bytes;
}

// Writes the picture as drawn, a row at a time: a binary P6 PPM of 8-bit RGB,
// or a 24-bit BMP. Only run-length coded pictures are drawn whole first.
bool WriteRendered(const SECImage& image, const std::string& path, std::string& message)
{
    auto owned = std::make_unique<DibRenderer::Layout>();
    DibRenderer::Layout& layout = *owned;
    // A picture without pixels (a GIF of a screen and no image) is not drawn,
    // as the viewer draws none: its size alone is anyone's to declare.
    if (!image.HasPicture() || !DibRenderer::ReadLayout(image.GetHeaderBlock(), image.GetHeaderSize(), layout)) {
        message = "the picture cannot be drawn";
        return false;
    }
    const uint32_t width = layout.width, height = layout.height;
    const bool ppm = HasEnding(path, ".ppm");
    const uint64_t rowBytes = ppm ? uint64_t(width) * 3 : (uint64_t(width) * 3 + 3) & ~uint64_t(3);
    std::vector<uint32_t> whole, line;
    std::string row;
    try {
        const bool runLength = layout.compression == BI_RLE8 || layout.compression == BI_RLE4;
        if (runLength && !DibRenderer::Render(layout, image.GetBits(), image.GetBitsSize(), whole)) {
            message = "the picture cannot be drawn";
            return false;
        }
        line.resize(whole.empty() ? width : 0);
        row.assign(rowBytes, '\0');
    } catch (const std::bad_alloc&) {
        message = "out of memory";
        return false;
    }

    AtomicFileWriter out;
    std::string header = OutputHeader(ppm, width, height, rowBytes);
    bool written = out.Open(path) && out.Write(header.data(), header.size());
    // The PPM runs top down, the BMP bottom up.
    for (uint32_t i = 0; written && i < height; ++i) {
        uint32_t y = ppm ? i : height - 1 - i;
        const uint32_t* pixels = whole.empty() ? line.data() : whole.data() + size_t(y) * width;
        if (whole.empty())
            DibRenderer::RenderRow(layout, image.GetBits(), image.GetBitsSize(), y, line.data());
        char* to = row.data();
        for (uint32_t x = 0; x < width; ++x, to += 3) {
            uint32_t p = pixels[x];
            to[ppm ? 0 : 2] = static_cast<char>((p >> 16) & 0xFF);
            to[1] = static_cast<char>((p >> 8) & 0xFF);
            to[ppm ? 2 : 0] = static_cast<char>(p & 0xFF);
        }
        written = out.Write(row.data(), row.size());
    }
    if (!written || !out.Commit()) {
        out.Abort();
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
