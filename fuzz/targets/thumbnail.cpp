// The thumbnailer from a book to a PNG, end to end on files: the input is a
// size byte, a two-byte length, a book of that length, then a picture that is
// stored under every picture name the seed books use. A thumbnail that is
// made is a PNG no larger than the square it was asked for.

#include "ImageFuzzCommon.h"
#include "app/BookThumbnail.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const kPictureNames[] = {"a.gif", "a.jpg", "a.bmp", "a.tif", "a.pcx"};

const std::string& Folder()
{
    static const std::string folder = [] {
        const char* temp = std::getenv("TMPDIR");
        std::string path = std::string(temp && *temp ? temp : "/tmp") + "/corvale-fuzz-thumbnail-XXXXXX";
        if (!mkdtemp(path.data()))
            std::abort();
        // The older layout reads the sender from the settings; point them nowhere real.
        setenv("CORVALE_REGISTRY_DIR", (path + "/registry").c_str(), 1);
        return path;
    }();
    // Registered after the name exists, so it runs before the name is destroyed.
    static const bool removedAtExit = (std::atexit([] {
                                           std::error_code ec;
                                           std::filesystem::remove_all(Folder(), ec);
                                       }),
                                       true);
    (void)removedAtExit;
    return folder;
}

void Write(const std::string& path, const uint8_t* data, size_t size)
{
    // A new file each time: truncating one makes ext4 write it out at once,
    // which would cost a millisecond an input.
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

uint32_t BigEndian(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SilentFuzzPrompter::Install();
    if (size < 3)
        return 0;
    const uint32_t square = uint32_t(data[0]) + 1;
    // The length's top bit chooses the older layout.
    const size_t header = uint16_t(data[1] | data[2] << 8);
    const size_t bookSize = header & 0x7FFF;
    const bool older = header & 0x8000;
    if (bookSize > size - 3)
        return 0;
    const std::string& folder = Folder();
    const std::string book = folder + (older ? "/book.pcs" : "/book.pbk");
    Write(book, data + 3, bookSize);
    for (const char* name : kPictureNames)
        Write(folder + "/" + name, data + 3 + bookSize, size - 3 - bookSize);

    std::string png;
    ThumbnailResult result = MakeBookThumbnail(book, square, png, kFuzzLimits);
    if (result != ThumbnailResult::Made) {
        if (!png.empty())
            std::abort();
        return 0;
    }
    if (png.size() < 33 || png.compare(0, 16, std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)) != 0)
        std::abort();
    uint32_t width = BigEndian(png, 16), height = BigEndian(png, 20);
    if (width == 0 || height == 0 || width > square || height > square)
        std::abort();
    return 0;
}
