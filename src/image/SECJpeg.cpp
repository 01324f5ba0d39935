#include "image/SECJpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs the stdio types declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr size_t kBufferSize = 4096;
// Progressive files need a handful of scans; a file with thousands of tiny
// scans only serves to keep the decoder busy.
constexpr int kMaxScans = 1000;
// Huffman coding spends at least one bit on every 8 x 8 block of the
// component with the most samples, which spans the whole picture: 64 pixels
// (a sample each) a bit, however the data ends. An adapted arithmetic coder
// can spend far less on an empty block; it is given eight blocks a bit.
constexpr SECImage::CodingBound kHuffmanBound{64 * 8, 1};
constexpr SECImage::CodingBound kArithmeticBound{8 * 64 * 8, 1};

// The standard error manager with a way back out of the library: errors
// leave through ExitToGuard to the setjmp in RunGuarded, nothing is printed.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf exitPoint;
    char message[JMSG_LENGTH_MAX];
    const char* reason; // a failure of our own that has no library message code
};

void ExitToGuard(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (err->reason)
        std::snprintf(err->message, sizeof err->message, "%s", err->reason);
    else
        (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->exitPoint, 1);
}

void KeepWarning(j_common_ptr cinfo, int level)
{
    // Negative levels are warnings (corrupt data, premature end); the others
    // are trace messages and are dropped. The first warning names the cause.
    if (level >= 0)
        return;
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (err->pub.num_warnings++ == 0)
        (*cinfo->err->format_message)(cinfo, err->message);
}

void DiscardOutput(j_common_ptr) {}

void InitErrorManager(JpegErrorManager& err)
{
    std::memset(&err, 0, sizeof err);
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ExitToGuard;
    err.pub.emit_message = KeepWarning;
    err.pub.output_message = DiscardOutput;
}

// The one place library errors come back to. `work` runs the library calls;
// it and everything it calls must hold no object that needs a destructor, as
// an error skips their frames.
bool RunGuarded(JpegErrorManager& err, void (*work)(void*), void* job)
{
    if (setjmp(err.exitPoint) != 0)
        return false;
    work(job);
    return true;
}

void LimitScans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        reinterpret_cast<JpegErrorManager*>(cinfo->err)->reason = "Too many scans in JPEG file";
        (*cinfo->err->error_exit)(cinfo);
    }
}

// The data source over the image's file object.
struct JpegSource {
    jpeg_source_mgr pub;
    CFile* file;
    JOCTET* buffer;
    bool startOfFile;
};

void SourceInit(j_decompress_ptr cinfo)
{
    reinterpret_cast<JpegSource*>(cinfo->src)->startOfFile = true;
}

boolean SourceFill(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<JpegSource*>(cinfo->src);
    size_t n = src->file ? src->file->Read(src->buffer, kBufferSize) : 0;
    if (n == 0) {
        if (src->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // Data that ends early is finished off with an end-of-image marker,
        // so the decoder completes the picture instead of failing.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    src->startOfFile = false;
    return TRUE;
}

void SourceSkip(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    while (count > static_cast<long>(src->bytes_in_buffer)) {
        count -= static_cast<long>(src->bytes_in_buffer);
        SourceFill(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void SourceTerm(j_decompress_ptr) {}

void InstallSource(j_decompress_ptr cinfo, CFile* file)
{
    auto* src = static_cast<JpegSource*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegSource)));
    src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kBufferSize));
    src->file = file;
    src->startOfFile = true;
    src->pub.init_source = SourceInit;
    src->pub.fill_input_buffer = SourceFill;
    src->pub.skip_input_data = SourceSkip;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = SourceTerm;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    cinfo->src = &src->pub;
}

// The data destination over the image's file object. A failed write is a
// library error, so the save fails instead of leaving a cut-off file unnoticed.
struct JpegDestination {
    jpeg_destination_mgr pub;
    CFile* file;
    JOCTET* buffer;
};

void DestinationInit(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    dest->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kBufferSize));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
}

boolean DestinationEmpty(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!dest->file || !dest->file->Write(dest->buffer, kBufferSize))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
    return TRUE;
}

void DestinationTerm(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    size_t count = kBufferSize - dest->pub.free_in_buffer;
    if (!dest->file || (count > 0 && !dest->file->Write(dest->buffer, count)) || !dest->file->Flush())
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

void InstallDestination(j_compress_ptr cinfo, CFile* file)
{
    auto* dest = static_cast<JpegDestination*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegDestination)));
    dest->file = file;
    dest->buffer = nullptr;
    dest->pub.init_destination = DestinationInit;
    dest->pub.empty_output_buffer = DestinationEmpty;
    dest->pub.term_destination = DestinationTerm;
    cinfo->dest = &dest->pub;
}

struct LoadJob {
    SECJpeg* image;
    jpeg_decompress_struct* cinfo;
    bool ok;
};

struct SaveJob {
    SECJpeg* image;
    jpeg_compress_struct* cinfo;
    bool ok;
};

inline uint8_t Multiply255(unsigned a, unsigned b)
{
    return static_cast<uint8_t>((a * b + 127) / 255);
}

} // namespace

SECJpeg::SECJpeg()
{
    m_bQuantize = m_wDisplayColors != 0;
}

void SECJpeg::RunLoad(void* job)
{
    auto* load = static_cast<LoadJob*>(job);
    load->ok = load->image->ReadJpeg(*load->cinfo);
}

void SECJpeg::RunSave(void* job)
{
    auto* save = static_cast<SaveJob*>(job);
    save->ok = save->image->WriteJpeg(*save->cinfo);
}

bool SECJpeg::DoLoadImage(CFile* file)
{
    m_strLibraryMessage.clear();
    JpegErrorManager err;
    InitErrorManager(err);
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = &err.pub;
    m_pCurFile = file;
    LoadJob job{this, &cinfo, false};
    bool ok = RunGuarded(err, &SECJpeg::RunLoad, &job) && job.ok;
    jpeg_destroy_decompress(&cinfo);
    m_strLibraryMessage = err.message;
    if (!ok)
        FreeImage(); // a failed load leaves no picture behind
    return ok;
}

bool SECJpeg::ReadJpeg(jpeg_decompress_struct& cinfo)
{
    jpeg_create_decompress(&cinfo);
    InstallSource(&cinfo, m_pCurFile);
    auto* progress = static_cast<jpeg_progress_mgr*>((*cinfo.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_PERMANENT, sizeof(jpeg_progress_mgr)));
    std::memset(progress, 0, sizeof *progress);
    progress->progress_monitor = LimitScans;
    cinfo.progress = progress;
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return false;

    // Quantised pictures are for screens of 256 colours or fewer; CMYK files
    // are converted by hand and always give 24 bits.
    bool quantise = m_bQuantize && m_wDisplayColors != 0;
    bool cmyk = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_YCbCr:
    case JCS_RGB:
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        quantise = false;
        break;
    default:
        return false;
    }

    int bitsPerPixel = quantise ? 8 : 24;
    uint16_t colours = quantise ? 256 : 0;
    size_t bytes = 0;
    if (!CheckedImageSize(cinfo.image_width, cinfo.image_height, bitsPerPixel, bytes, m_limits) ||
        !InProportion(cinfo.image_width, cinfo.image_height, 8, m_pCurFile->GetLength(),
                      cinfo.arith_code ? kArithmeticBound : kHuffmanBound, m_limits))
        return false;
    if (!m_picture.header.Allocate(kBitmapInfoHeaderSize + 4 * size_t(colours)) ||
        !m_picture.bits.Allocate(bytes))
        return false;
    m_picture.width = cinfo.image_width;
    m_picture.height = cinfo.image_height;
    m_picture.bitsPerPixel = bitsPerPixel;
    m_picture.colours = colours;
    m_picture.padWidth = (m_picture.width + 3) & ~3u;
    m_picture.padded = false;
    m_nFormatValue = static_cast<int64_t>(bytes);
    BitmapInfoHeader info;
    info.biWidth = static_cast<int32_t>(m_picture.width);
    info.biHeight = static_cast<int32_t>(m_picture.height);
    info.biBitCount = static_cast<uint16_t>(bitsPerPixel);
    info.biSizeImage = static_cast<uint32_t>(bytes);
    SetInfoHeader(info);

    if (quantise) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 256;
    }
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != m_picture.width || cinfo.output_height != m_picture.height)
        return false;

    const JDIMENSION inRow = cinfo.output_width * static_cast<JDIMENSION>(cinfo.output_components);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                inRow, 1);
    // Rows go straight to their place in the bottom-up, padded picture, so
    // nothing has to be flipped or moved afterwards.
    const uint64_t stride = PaddedRowLength();
    m_picture.padded = true;
    const bool greyTo24 = !quantise && cinfo.out_color_space == JCS_GRAYSCALE;
    // Adobe's CMYK files store the inks inverted (0 is full ink).
    const bool invertedInks = cinfo.saw_Adobe_marker;
    const bool direct = !greyTo24 && !cmyk && inRow <= stride;
    uint8_t* bits = m_picture.bits.Data();
    const uint32_t height = m_picture.height;
    while (cinfo.output_scanline < cinfo.output_height) {
        JDIMENSION line = cinfo.output_scanline;
        if (direct) {
            JSAMPROW rows[16];
            JDIMENSION count = std::min<JDIMENSION>(
                std::min<JDIMENSION>(16, std::max<JDIMENSION>(1, cinfo.rec_outbuf_height)),
                cinfo.output_height - line);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = bits + uint64_t(height - 1 - (line + i)) * stride;
            if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
                break;
            continue;
        }
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
            break;
        uint8_t* out = bits + uint64_t(height - 1 - line) * stride;
        const JSAMPLE* in = row[0];
        const size_t room = static_cast<size_t>(stride);
        if (greyTo24) {
            for (JDIMENSION x = 0; x < cinfo.output_width && 3 * size_t(x) + 3 <= room; ++x)
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
        } else if (cmyk) {
            for (JDIMENSION x = 0; x < cinfo.output_width && 3 * size_t(x) + 3 <= room; ++x) {
                const JSAMPLE* p = in + 4 * size_t(x);
                unsigned c = p[0], m = p[1], y = p[2], k = p[3];
                if (!invertedInks) {
                    c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
                }
                out[3 * x] = Multiply255(y, k);
                out[3 * x + 1] = Multiply255(m, k);
                out[3 * x + 2] = Multiply255(c, k);
            }
        } else {
            std::memcpy(out, in, std::min<size_t>(inRow, room));
        }
    }

    if (quantise && cinfo.colormap) {
        int count = std::min(cinfo.actual_number_of_colors, int(colours));
        for (int i = 0; i < count; ++i) {
            RgbQuad* entry = GetColour(size_t(i));
            if (!entry)
                break;
            // The map's rows are in output order: blue, green, red (or one grey row).
            if (cinfo.out_color_components == 3) {
                entry->blue = cinfo.colormap[0][i];
                entry->green = cinfo.colormap[1][i];
                entry->red = cinfo.colormap[2][i];
            } else {
                entry->blue = entry->green = entry->red = cinfo.colormap[0][i];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

bool SECJpeg::DoSaveImage(CFile* file)
{
    m_strLibraryMessage.clear();
    if (!HasPicture() || GetInfoHeader().biCompression != BI_RGB)
        return false;
    // 16- and 32-bit pictures (kept as a BMP file holds them) are not written.
    const int bpp = m_picture.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
        return false;
    if (!FlipVert())
        return false;
    bool ok = UnpadBits();
    if (ok) {
        JpegErrorManager err;
        InitErrorManager(err);
        jpeg_compress_struct cinfo;
        std::memset(&cinfo, 0, sizeof cinfo);
        cinfo.err = &err.pub;
        m_pCurFile = file;
        SaveJob job{this, &cinfo, false};
        ok = RunGuarded(err, &SECJpeg::RunSave, &job) && job.ok;
        jpeg_destroy_compress(&cinfo);
        m_strLibraryMessage = err.message;
    }
    bool restored = Padbits() && FlipVert();
    return ok && restored;
}

bool SECJpeg::WriteJpeg(jpeg_compress_struct& cinfo)
{
    jpeg_create_compress(&cinfo);
    InstallDestination(&cinfo, m_pCurFile);
    cinfo.image_width = m_picture.width;
    cinfo.image_height = m_picture.height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);

    const size_t width = m_picture.width;
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(3 * width), 1);
    const uint64_t stride = UnpaddedRowLength();
    const uint8_t* bits = m_picture.bits.Data();
    if (stride * m_picture.height > m_picture.bits.Size())
        return false;
    for (uint32_t y = 0; y < m_picture.height; ++y) {
        const uint8_t* in = bits + y * stride;
        JSAMPLE* out = row[0];
        if (m_picture.bitsPerPixel == 24) {
            std::memcpy(out, in, 3 * width);
        } else {
            for (size_t x = 0; x < width; ++x) {
                unsigned index;
                if (m_picture.bitsPerPixel == 8)
                    index = in[x];
                else if (m_picture.bitsPerPixel == 4)
                    index = (x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4);
                else if (m_nBitOrder == 1)
                    index = (in[x >> 3] >> (7 - (x & 7))) & 1;
                else
                    index = (in[x >> 3] >> (x & 7)) & 1;
                const RgbQuad* colour = GetColour(index);
                out[3 * x] = colour ? colour->blue : 0;
                out[3 * x + 1] = colour ? colour->green : 0;
                out[3 * x + 2] = colour ? colour->red : 0;
            }
        }
        jpeg_write_scanlines(&cinfo, row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}
