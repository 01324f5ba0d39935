// Writes seed inputs for every fuzz target into FOLDER/<target>/, made by our
// own writers so the fuzzers start from valid files.

#include "image/GifImage.h"
#include "image/SECDib.h"
#include "image/SECJpeg.h"
#include "image/SECPcx.h"
#include "image/SECTiff.h"
#include "model/Archive.h"
#include "model/CorvaleDoc.h"
#include "platform/EditionRecord.h"
#include "platform/File.h"
#include "platform/VersionRecord.h"

#include <cstdio>
#include <vector>
#include <zip.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

void WriteSeed(const std::string& folder, const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/" + name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string StoreBook(CCorvaleDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

void PbkSeeds(const std::string& folder)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Trip";
    doc.m_strOwnerName = "Ann";
    doc.m_strOwnerEmail = "ann@example.org";
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = "Day 1";
    for (int i = 0; i < 3; ++i) {
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName("p" + std::to_string(i) + ".jpg");
        photo->m_strText = std::string(static_cast<size_t>(i) * 150, 't');
        auto media = std::make_unique<CMediaNode>();
        media->SetFileName("s" + std::to_string(i) + ".wav");
        photo->AddMedia(std::move(media));
        group->AddPhoto(std::move(photo));
    }
    doc.m_root.AddPhoto(std::move(group));
    WriteSeed(folder, "book.pbk", StoreBook(doc));

    CCorvaleDoc empty;
    WriteSeed(folder, "empty-root.pbk", StoreBook(empty));
    // The older layout: title, then a root body without version pairs.
    WriteSeed(folder, "old.pcs", std::string("\x04Trip\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 20));
}

// A small picture with a gradient and some noise, in the given depth.
template <class Image>
bool MakePicture(Image& image, uint32_t width, uint32_t height, int depth)
{
    uint16_t colours = depth <= 8 ? static_cast<uint16_t>(1u << depth) : 0;
    if (!image.Create(width, height, depth, colours))
        return false;
    for (uint16_t i = 0; i < colours; ++i)
        *image.GetColour(i) = RgbQuad{static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i * 3),
                                      static_cast<uint8_t>(255 - i), 0};
    uint32_t seed = 12345;
    for (size_t i = 0; i < image.GetBitsSize(); ++i) {
        seed = seed * 1103515245 + 12345;
        image.GetBits()[i] = static_cast<uint8_t>((i * 13) ^ (seed >> 24));
    }
    return true;
}

template <class Image>
void SaveSeed(Image& image, const std::string& folder, const std::string& name)
{
    CMemFile file;
    if (image.SaveImage(&file))
        WriteSeed(folder, name, std::string(file.Bytes().begin(), file.Bytes().end()));
}

void ImageSeeds(const std::string& root)
{
    for (int depth : {8}) {
        CGifImage gif;
        if (MakePicture(gif, 37, 21, depth))
            SaveSeed(gif, root + "/gif_load", "small.gif");
    }
    for (int depth : {1, 4, 8, 24}) {
        SECDib bmp;
        if (MakePicture(bmp, 13, 7, depth))
            SaveSeed(bmp, root + "/bmp_load", "d" + std::to_string(depth) + ".bmp");
    }
    for (int depth : {1, 4, 8}) {
        SECPcx pcx;
        if (MakePicture(pcx, 13, 7, depth))
            SaveSeed(pcx, root + "/pcx_load", "d" + std::to_string(depth) + ".pcx");
    }
    SECJpeg jpeg;
    if (MakePicture(jpeg, 40, 24, 24))
        SaveSeed(jpeg, root + "/jpeg_load", "small.jpg");
    for (int depth : {1, 8, 24}) {
        SECTiff tiff;
        std::string folder = root + "/tiff_load";
        std::filesystem::create_directories(folder);
        if (MakePicture(tiff, 17, 9, depth))
            tiff.SaveImage(folder + "/d" + std::to_string(depth) + ".tif");
    }
    // Depth/size/settings header bytes, then pixels.
    WriteSeed(root + "/shrink", "gradient", std::string("\x03\x40\x00\x30\x00\x05\x00", 7) + std::string(4096, '\x55'));
}

// A size byte, the book's length, a book whose one photograph is `name`, then that picture.
template <class Image>
void ThumbnailSeed(Image& image, const std::string& folder, const std::string& name)
{
    CCorvaleDoc doc;
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName(name);
    doc.m_root.AddPhoto(std::move(photo));
    std::string book = StoreBook(doc);
    CMemFile file;
    if (!image.SaveImage(&file))
        return;
    std::string bytes = std::string("\x1f", 1) + char(book.size() & 0xFF) + char(book.size() >> 8) + book;
    WriteSeed(folder, name, bytes + std::string(file.Bytes().begin(), file.Bytes().end()));
}

void ThumbnailSeeds(const std::string& folder)
{
    SECDib bmp;
    if (MakePicture(bmp, 60, 20, 8))
        ThumbnailSeed(bmp, folder, "a.bmp");
    CGifImage gif;
    if (MakePicture(gif, 20, 50, 8))
        ThumbnailSeed(gif, folder, "a.gif");
    SECJpeg jpeg;
    if (MakePicture(jpeg, 40, 24, 24))
        ThumbnailSeed(jpeg, folder, "a.jpg");
}

// The format seeds again behind the byte that chooses their reader, and
// pictures that their coding packs tightly, so the fuzzer starts near the
// largest sizes small inputs may declare.
void FullLimitSeeds(const std::string& root)
{
    const char* formats[] = {"gif_load", "jpeg_load", "bmp_load", "pcx_load", "tiff_load"};
    std::string folder = root + "/picture_full_limits";
    for (char format = 0; format < 5; ++format) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(root + "/" + formats[int(format)], ec)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            WriteSeed(folder, std::string(formats[int(format)]) + "-" + entry.path().filename().string(),
                      std::string(1, format) + bytes);
        }
    }
    CGifImage flat;
    if (flat.Create(1500, 1000, 8, 256)) {
        CMemFile file;
        if (flat.SaveImage(&file))
            WriteSeed(folder, "flat-gif", std::string(1, '\0') + std::string(file.Bytes().begin(), file.Bytes().end()));
    }
}

void InfSeeds(const std::string& folder)
{
    WriteSeed(folder, "strings.inf",
              "[Version]\r\nSignature=\"$Chicago$\"\r\n\r\n[Strings]\r\n"
              "PHOTOS_OWNER=\"Ann Example\"\r\nPHOTOS_OWNER_EMAIL=\"ann@example.org\"\r\n");
    WriteSeed(folder, "email-first.inf",
              "[Strings]\nPHOTOS_OWNER_EMAIL = \"b@x\"\nPHOTOS_OWNER = \"\"\n");
}

void SetupScriptSeeds(const std::string& folder)
{
    WriteSeed(folder, "package.inf",
              "[Version]\r\nSignature=\"$Chicago$\"\r\n\r\n"
              "[Strings]\r\nCORVALE_INCLUDED=\"1\"\r\nPHOTOS_DESC=\"Summer Trip\"\r\n"
              "PHOTOS_FILE=\"trip.pbk\"\r\nPHOTOS_OWNER=\"Ann\"\r\nPHOTOS_OWNER_EMAIL=\"ann@x.org\"\r\n"
              "SPACE_REQD_PV=\"1200000\"\r\nSPACE_REQD_PHOTOS=\"300000\"\r\n\r\n"
              "[DestinationDirs]\r\nProgram=65600\r\nPhotos=65601\r\nSys=11,sub\r\n\r\n"
              "[CorvaleInstall]\r\nCopyFiles=Program,Sys\r\nAddReg=Reg\r\nUpdateInis=Ini\r\n\r\n"
              "[Option2Section]\r\nCopyFiles=Photos\r\n\r\n"
              "[CorvaleUninstall]\r\nDelFiles=Program,Photos\r\nDelReg=Reg\r\n\r\n"
              "[Program]\r\nCorvale.exe\r\n[Sys]\r\nhelper.dll\r\n[Photos]\r\ntrip.pbk\r\na.jpg\r\n"
              "[Reg]\r\nHKLM,Software\\Quillfen\\Corvale,InstallationPath,,\"%65600%\"\r\n"
              "HKCU,Software\\Quillfen,Count,0x10001,5\r\n"
              "[Ini]\r\nwin.ini,Corvale,,Book=%PHOTOS_DESC%\r\n");
}

void SingleInstanceSeeds(const std::string& folder)
{
    WriteSeed(folder, "open.txt", "[open(\"/home/ann/My Trip.pbk\")]\n");
    WriteSeed(folder, "quotes-crlf.txt", "[open(\"/b/\\\"a\\\").pbk\")]\r\n");
    WriteSeed(folder, "relative.txt", "[open(\"b/x.pcs\")]\n[open(\"/c.pbk\")]\n");
}

// A ZIP archive of `entries` (name, bytes, stored uncompressed or deflated).
struct ZipSeedEntry {
    std::string name;
    std::string bytes;
    bool store;
};

void WriteZipSeed(const std::string& folder, const std::string& name,
                  const std::vector<ZipSeedEntry>& entries)
{
    std::filesystem::create_directories(folder);
    int error = 0;
    zip_t* archive = zip_open((folder + "/" + name).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return;
    for (const ZipSeedEntry& entry : entries) {
        zip_source_t* source = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
        zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            continue;
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 entry.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    zip_close(archive);
}

void ZipSeeds(const std::string& folder)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Trip";
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName("a.gif");
    auto media = std::make_unique<CMediaNode>();
    media->SetFileName("Sounds\\s.wav");
    photo->AddMedia(std::move(media));
    doc.m_root.AddPhoto(std::move(photo));
    auto second = std::make_unique<CPhotoNode>();
    second->SetFileName("b.bmp");
    doc.m_root.AddPhoto(std::move(second));
    const std::string book = StoreBook(doc);
    const std::string inf = "[Strings]\r\nPHOTOS_OWNER=\"Ann\"\r\nPHOTOS_OWNER_EMAIL=\"ann@example.org\"\r\n";
    WriteZipSeed(folder, "stored.zip", {{"Trip.pbk", book, true},
                                        {"a.gif", "GIF89a" + std::string(40, 'g'), true},
                                        {"Sounds/s.wav", "RIFF" + std::string(40, 'w'), true},
                                        {"b.bmp", "BM" + std::string(60, 'b'), true},
                                        {"corvale.inf", inf, true}});
    WriteZipSeed(folder, "deflated.zip", {{"Trip.pbk", book, false},
                                          {"a.gif", std::string(300, 'g'), false},
                                          {"corvale.inf", inf, false}});
    WriteZipSeed(folder, "book-only.zip", {{"dir/Trip.PBK", book, true}});
}

// Books naming the files of the export target's folder, a missing one and
// one outside it, with texts and names that need escaping.
void BookExportSeeds(const std::string& folder)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = "<Trip> & \"more\"";
    doc.m_strOwnerEmail = "ann@example.org?x=<y>";
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = "..\\CON";
    for (const char* name : {"a.gif", "sub\\B.PCX", "gone.jpg", "..\\outside.wav", "A.GIF"}) {
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName(name);
        photo->m_strCaption = "<script>x</script>";
        photo->m_strText = "line\r\nline";
        auto media = std::make_unique<CMediaNode>();
        media->SetFileName("s.wav");
        photo->AddMedia(std::move(media));
        group->AddPhoto(std::move(photo));
    }
    doc.m_root.AddPhoto(std::move(group));
    WriteSeed(folder, "book.pbk", StoreBook(doc));
}

// Folder trees for the maker: pictures good and damaged, a text, a sound,
// a sub-folder; names with a quote, a newline and a leading space.
void BookMakeSeeds(const std::string& folder)
{
    auto file = [](const std::string& name, int content) {
        return std::string(1, '\0') + static_cast<char>(name.size()) + name + static_cast<char>(content);
    };
    auto raw = [](const std::string& name, const std::string& bytes) {
        return std::string(1, '\0') + static_cast<char>(name.size()) + name + static_cast<char>(bytes.size()) + bytes;
    };
    std::string tree = file("a.jpg", 0) + file("b \"q\".GIF", 1) + raw("a.txt", "Caf\xC3\xA9 \xE2\x98\x95\n");
    tree += std::string(1, '\2') + static_cast<char>(6) + "Day 10";
    tree += file("new\nline.pcx", 2) + raw("broken.bmp", "BMxx") + "\3" + raw(" s.wav", "RIFF");
    WriteSeed(folder, "tree", tree);
}

void RecordSeeds(const std::string& folder)
{
    WriteSeed(folder, "version", std::string("MZ") + VersionRecordText() + "tail");
    WriteSeed(folder, "plus", "ELF" + PlusEditionRecord() + std::string(VersionRecordText()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    std::string root = argv[1];
    PbkSeeds(root + "/pbk_load");
    ImageSeeds(root);
    FullLimitSeeds(root);
    InfSeeds(root + "/inf_owner");
    ThumbnailSeeds(root + "/thumbnail");
    SetupScriptSeeds(root + "/setup_script");
    ZipSeeds(root + "/zip_import");
    RecordSeeds(root + "/version_record");
    SingleInstanceSeeds(root + "/single_instance_message");
    BookExportSeeds(root + "/book_export");
    BookMakeSeeds(root + "/book_make");
    WriteSeed(root + "/export_names", "names", "index.html\nIndex.HTML\n..\n CON.txt \n<a>|b?.jpg\nCaf\xE9");
    return 0;
}
