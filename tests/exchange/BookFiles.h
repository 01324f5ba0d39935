#pragma once
// Files for the tests of writing books out: small pictures in each of the
// five formats made by our own writers, and a check that every link of an
// exported page opens a file inside the export folder.

#include "image/GifImage.h"
#include "image/SECDib.h"
#include "image/SECJpeg.h"
#include "image/SECPcx.h"
#include "image/SECTiff.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

// A width x height picture in the format its name's ending calls for
// (8 bits for GIF and PCX, 24 for the others).
inline bool WritePicture(const std::string& path, uint32_t width = 64, uint32_t height = 48)
{
    std::string ending = path.substr(path.size() - 4);
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::unique_ptr<SECImage> image;
    if (ending == ".gif")
        image = std::make_unique<CGifImage>();
    else if (ending == ".pcx")
        image = std::make_unique<SECPcx>();
    else if (ending == ".tif")
        image = std::make_unique<SECTiff>();
    else if (ending == ".bmp")
        image = std::make_unique<SECDib>();
    else
        image = std::make_unique<SECJpeg>();
    int depth = ending == ".gif" || ending == ".pcx" ? 8 : 24;
    if (!image->Create(width, height, depth, depth == 8 ? 256 : 0))
        return false;
    for (int i = 0; depth == 8 && i < 256; ++i)
        *image->GetColour(static_cast<size_t>(i)) =
            RgbQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2), 0};
    for (size_t i = 0; i < image->GetBitsSize(); ++i)
        image->GetBits()[i] = static_cast<uint8_t>(i * 7);
    return image->SaveImage(path);
}

inline std::string PercentDecoded(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The href and src values of a page our writer made (always double-quoted).
inline std::vector<std::string> PageLinks(const std::string& html)
{
    std::vector<std::string> links;
    static const std::regex kLink("(?:href|src)=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), kLink); it != std::sregex_iterator(); ++it)
        links.push_back((*it)[1].str());
    return links;
}

// Every link of `page` other than mailto: is relative, names a plain file
// inside `folder`, and holds only URL-safe characters.
inline void ExpectLinksResolve(const std::string& folder, const std::string& page)
{
    namespace fs = std::filesystem;
    std::string html = ReadFileBytes(folder + "/" + page);
    for (const std::string& link : PageLinks(html)) {
        if (link.rfind("mailto:", 0) == 0)
            continue;
        EXPECT_EQ(link.find_first_of(" \"'<>&#?:\\"), std::string::npos) << link;
        fs::path target = (fs::path(folder) / PercentDecoded(link)).lexically_normal();
        fs::path inside = target.lexically_relative(folder);
        EXPECT_FALSE(inside.empty() || *inside.begin() == ".." || link[0] == '/') << link;
        EXPECT_TRUE(fs::is_regular_file(target)) << page << ": " << link;
    }
}
