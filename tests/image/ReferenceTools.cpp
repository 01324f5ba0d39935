#include "ReferenceTools.h"

#include "image/SECImage.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

std::string RefQuote(const std::string& s)
{
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

bool RefRun(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool RefHaveImageMagick()
{
    static const bool have = RefRun("convert-im6.q16 -version");
    return have;
}

bool RefHavePillow()
{
    static const bool have = RefRun("/usr/bin/python3 -c 'import PIL'");
    return have;
}

bool RefMagick(const std::string& args)
{
    return RefRun("convert-im6.q16 " + args);
}

bool RefPillow(const std::string& script, const std::vector<std::string>& argv)
{
    std::string command = "/usr/bin/python3 -c " + RefQuote(script);
    for (const std::string& a : argv)
        command += " " + RefQuote(a);
    return RefRun(command);
}

bool RefWritePpm(const std::string& path, const RgbPicture& p)
{
    std::ostringstream out;
    out << "P6\n" << p.width << " " << p.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(p.rgb.data()), static_cast<std::streamsize>(p.rgb.size()));
    return WriteFileBytes(path, out.str());
}

bool RefReadPpm(const std::string& path, RgbPicture& p)
{
    std::string bytes = ReadFileBytes(path);
    std::istringstream in(bytes);
    std::string magic;
    unsigned maxValue = 0;
    in >> magic >> p.width >> p.height >> maxValue;
    if (!in || magic != "P6" || maxValue != 255)
        return false;
    in.get(); // the single white-space byte before the samples
    size_t size = size_t(p.width) * p.height * 3;
    size_t start = static_cast<size_t>(in.tellg());
    if (bytes.size() < start + size)
        return false;
    p.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                 bytes.begin() + static_cast<std::ptrdiff_t>(start + size));
    return true;
}

bool RefMagickPixels(const std::string& path, const std::string& scratch, RgbPicture& picture)
{
    return RefMagick(RefQuote(path) + " -depth 8 " + RefQuote("ppm:" + scratch)) && RefReadPpm(scratch, picture);
}

bool RefPillowPixels(const std::string& path, const std::string& scratch, RgbPicture& picture)
{
    return RefPillow("import sys\nfrom PIL import Image\n"
                  "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2], 'PPM')\n",
                  {path, scratch}) &&
           RefReadPpm(scratch, picture);
}

bool RefImagePixels(const SECImage& image, RgbPicture& picture)
{
    const int bits = image.GetBitsPerPixel();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return false;
    const uint64_t stride = image.PaddedRowLength();
    if (!image.GetBits() || stride * image.GetHeight() > image.GetBitsSize())
        return false;
    picture.width = image.GetWidth();
    picture.height = image.GetHeight();
    picture.rgb.assign(size_t(picture.width) * picture.height * 3, 0);
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* row = image.GetBits() + (picture.height - 1 - y) * stride; // rows bottom-up
        for (uint32_t x = 0; x < picture.width; ++x) {
            uint8_t* out = &picture.rgb[(size_t(y) * picture.width + x) * 3];
            if (bits == 24) {
                out[0] = row[3 * x + 2];
                out[1] = row[3 * x + 1];
                out[2] = row[3 * x];
                continue;
            }
            unsigned index = bits == 8   ? row[x]
                             : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F
                                         : (row[x / 8] >> (7 - x % 8)) & 1;
            const RgbQuad* q = image.GetColour(index);
            if (!q)
                return false;
            out[0] = q->red;
            out[1] = q->green;
            out[2] = q->blue;
        }
    }
    return true;
}
