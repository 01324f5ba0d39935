// Writes the sample Picture Book "Demo" into the folder given: groups and
// sub-groups, photographs in all five picture formats (some larger than
// 640 x 480, so that shrinking shows), a sound clip and a MIDI tune, each with
// captions and texts. Everything is made here, with our own writers.

#include "image/GifImage.h"
#include "image/SECDib.h"
#include "image/SECJpeg.h"
#include "image/SECPcx.h"
#include "image/SECTiff.h"
#include "model/CorvaleDoc.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

struct Scene {
    uint8_t skyTop[3], skyBottom[3], sea[3], sun[3];
    double sunX, sunY, sunR; // fractions of the width and height
};

// The colour of a simple seaside scene at (x, y), top-down.
void ScenePixel(const Scene& s, uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint8_t rgb[3])
{
    double fx = double(x) / w, fy = double(y) / h;
    double dx = (fx - s.sunX) * w / h, dy = fy - s.sunY;
    if (std::sqrt(dx * dx + dy * dy) < s.sunR) {
        for (int c = 0; c < 3; ++c)
            rgb[c] = s.sun[c];
        return;
    }
    double horizon = 0.6 + 0.03 * std::sin(fx * 9.0);
    if (fy < horizon) {
        double t = fy / horizon;
        for (int c = 0; c < 3; ++c)
            rgb[c] = static_cast<uint8_t>(s.skyTop[c] + (s.skyBottom[c] - s.skyTop[c]) * t);
    } else {
        double wave = 0.5 + 0.5 * std::sin(fx * 60.0 + fy * 40.0);
        double t = (fy - horizon) / (1.0 - horizon);
        for (int c = 0; c < 3; ++c)
            rgb[c] = static_cast<uint8_t>(std::min(255.0, s.sea[c] * (0.7 + 0.3 * wave) * (1.0 - 0.4 * t)));
    }
}

// A 24-bit picture of the scene.
template <class Image>
bool Paint24(Image& image, uint32_t w, uint32_t h, const Scene& s)
{
    if (!image.Create(w, h, 24, 0))
        return false;
    size_t stride = static_cast<size_t>(image.PaddedRowLength());
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = image.GetBits() + (h - 1 - y) * stride;
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t rgb[3];
            ScenePixel(s, x, y, w, h, rgb);
            row[3 * x] = rgb[2];
            row[3 * x + 1] = rgb[1];
            row[3 * x + 2] = rgb[0];
        }
    }
    return true;
}

// An 8-bit picture of the scene over a 3-3-2 colour cube.
template <class Image>
bool Paint8(Image& image, uint32_t w, uint32_t h, const Scene& s)
{
    if (!image.Create(w, h, 8, 256))
        return false;
    for (int i = 0; i < 256; ++i)
        *image.GetColour(i) = RgbQuad{static_cast<uint8_t>((i & 3) * 85),
                                      static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7),
                                      static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7), 0};
    size_t stride = static_cast<size_t>(image.PaddedRowLength());
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = image.GetBits() + (h - 1 - y) * stride;
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t rgb[3];
            ScenePixel(s, x, y, w, h, rgb);
            // Ordered dither keeps the gradients smooth in 256 colours.
            int d = ((x & 1) * 2 + (y & 1)) * 8 - 12;
            auto q = [d](int v, int levels) {
                int n = (std::min(255, std::max(0, v + d)) * (levels - 1) + 127) / 255;
                return n;
            };
            row[x] = static_cast<uint8_t>((q(rgb[0], 8) << 5) | (q(rgb[1], 8) << 2) | q(rgb[2], 4));
        }
    }
    return true;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void PutLE(std::string& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// One second of gull-like chirps: 8-bit mono PCM at 11025 Hz.
std::string MakeWav()
{
    const uint32_t rate = 11025, count = rate;
    std::string data;
    for (uint32_t i = 0; i < count; ++i) {
        double t = double(i) / rate;
        double phase = std::fmod(t, 0.33) / 0.33;
        double freq = 1800 - 900 * phase;
        double env = std::sin(3.14159 * phase);
        long sample = std::lround(128 + 90 * env * std::sin(2 * 3.14159 * freq * t));
        data += static_cast<char>(static_cast<uint8_t>(sample));
    }
    std::string wav = "RIFF";
    PutLE(wav, 36 + count, 4);
    wav += "WAVEfmt ";
    PutLE(wav, 16, 4);
    PutLE(wav, 1, 2);  // PCM
    PutLE(wav, 1, 2);  // mono
    PutLE(wav, rate, 4);
    PutLE(wav, rate, 4);
    PutLE(wav, 1, 2);
    PutLE(wav, 8, 2);
    wav += "data";
    PutLE(wav, count, 4);
    return wav + data;
}

// A short tune as a format-0 standard MIDI file.
std::string MakeMidi()
{
    std::string track;
    const uint8_t notes[] = {60, 64, 67, 72, 67, 64, 60};
    for (uint8_t note : notes) {
        track += std::string("\x00\x90", 2) + static_cast<char>(note) + '\x60';
        track += std::string("\x81\x00\x80", 3) + static_cast<char>(note) + '\x40';
    }
    track += std::string("\x00\xFF\x2F\x00", 4);
    std::string midi = "MThd";
    midi += std::string("\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60", 10);
    midi += "MTrk";
    for (int i = 3; i >= 0; --i)
        midi += static_cast<char>((track.size() >> (8 * i)) & 0xFF);
    return midi + track;
}

CPhotoNode* AddGroup(CPhotoNode& parent, const std::string& caption, const std::string& text)
{
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = caption;
    group->m_strText = text;
    return parent.AddPhoto(std::move(group));
}

CPhotoNode* AddPhoto(CPhotoNode& parent, const std::string& file, const std::string& caption,
                     const std::string& text)
{
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName(file);
    photo->m_strCaption = caption;
    photo->m_strText = text;
    return parent.AddPhoto(std::move(photo));
}

void AddMedia(CPhotoNode& parent, const std::string& file, const std::string& caption)
{
    auto media = std::make_unique<CMediaNode>();
    media->SetFileName(file);
    media->m_strCaption = caption;
    parent.AddMedia(std::move(media));
}

bool WritePictures(const std::string& folder)
{
    const Scene morning{{90, 150, 230}, {250, 220, 170}, {30, 90, 140}, {255, 240, 200}, 0.75, 0.35, 0.08};
    const Scene evening{{40, 20, 90}, {250, 120, 60}, {60, 40, 90}, {255, 200, 80}, 0.5, 0.55, 0.12};
    const Scene noon{{60, 130, 220}, {170, 210, 250}, {20, 120, 130}, {255, 255, 230}, 0.2, 0.2, 0.06};
    bool ok = true;
    SECJpeg harbour;
    ok &= Paint24(harbour, 1024, 768, morning) && harbour.SaveImage(folder + "/harbour.jpg");
    CGifImage lighthouse;
    ok &= Paint8(lighthouse, 480, 640, noon) && lighthouse.SaveImage(folder + "/lighthouse.gif");
    SECDib sunset;
    ok &= Paint24(sunset, 800, 600, evening) && sunset.SaveImage(folder + "/sunset.bmp");
    SECPcx pier;
    ok &= Paint8(pier, 640, 480, evening) && pier.SaveImage(folder + "/pier.pcx");
    SECTiff square;
    ok &= Paint24(square, 1200, 900, noon) && square.SaveImage(folder + "/square.tif");
    SECJpeg fountain;
    ok &= Paint24(fountain, 400, 300, morning) && fountain.SaveImage(folder + "/fountain.jpg");
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: samplebook FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    if (!WritePictures(folder)) {
        std::fprintf(stderr, "samplebook: the pictures could not be written\n");
        return 1;
    }
    WriteBytes(folder + "/gulls.wav", MakeWav());
    WriteBytes(folder + "/tune.mid", MakeMidi());

    CCorvaleDoc doc;
    doc.m_strBookTitle = "Demo";
    doc.m_strOwnerName = "Corvale Samples";
    doc.m_strOwnerEmail = "samples@example.org";
    CPhotoNode& root = doc.m_root;
    root.m_strText = "A sample Picture Book made by the Corvale build.";

    CPhotoNode* coast = AddGroup(root, "At the Coast", "Three days by the sea.");
    CPhotoNode* harbour = AddPhoto(*coast, "harbour.jpg", "The Harbour",
                                   "Boats in the morning light.\r\nThe tide was out.");
    AddMedia(*harbour, "gulls.wav", "Gulls");
    AddPhoto(*coast, "lighthouse.gif", "Lighthouse", "The old lighthouse on the cliff.");
    CPhotoNode* evening = AddGroup(*coast, "Evening", "");
    AddPhoto(*evening, "sunset.bmp", "Sunset", "");
    AddPhoto(*evening, "pier.pcx", "The Pier", "Lanterns along the pier.");

    CPhotoNode* town = AddGroup(root, "In Town", "A walk through the old town.");
    CPhotoNode* square = AddPhoto(*town, "square.tif", "Market Square", "Market day.");
    AddMedia(*square, "tune.mid", "Street Tune");
    AddPhoto(*town, "fountain.jpg", "Fountain", "");

    return doc.OnSaveDocument(folder + "/Demo.pbk") ? 0 : 1;
}
