#include "platform/image/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
// jerror.h after jpeglib.h: it names libjpeg's message codes.
#include <jerror.h>

#include "platform/errors/errors.h"
#include "platform/image/decode_error.h"

// Every call into libjpeg below runs in a step function whose frame holds nothing with a
// destructor: libjpeg reports an error by calling errorExit, which jumps back to the
// step's setjmp, and a long jump must skip no C++ object. The steps report failure by
// returning false, with libjpeg's text in the error manager; their callers throw.

namespace image::jpeg {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings about damaged bytes that libjpeg steps over are ignored, as every viewer does;
// the end of the data before the end of the picture is not: a truncated file is no picture.
void emitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) errorExit(cinfo);
}

// Every scan of a picture sends the decoder over the blocks it covers once more, and a
// progressive file may repeat its scans without end for a few bytes each: 3000 repeats in a
// 15000 x 15000 picture keep it busy for many minutes. The files that encoders write hold up
// to about 20 scans (libjpeg's own progression 10), so a file with more than kMaxScans is
// taken for damaged data and refused as soon as the decoder reaches the scan after the last
// one allowed.
void countScans(j_common_ptr cinfo) {
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= kMaxScans) return;
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "The JPEG data holds more than %d scans",
                  kMaxScans);
    std::longjmp(err->jump, 1);
}

void install(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.message[0] = '\0';
}

void fail(ErrorManager& err, const char* message) {
    std::snprintf(err.message, sizeof err.message, "%s", message);
}

// ---- decoding ----

struct Decompressor {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    Decompressor() {
        install(err);
        cinfo.err = &err.pub;
        progress.progress_monitor = countScans;
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

bool readHeader(Decompressor& d, const unsigned char* data, unsigned long size) {
    if (setjmp(d.err.jump)) return false;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.progress = &d.progress;  // after the creation, which clears the structure
    jpeg_mem_src(&d.cinfo, data, size);
    jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&d.cinfo, TRUE) != JPEG_HEADER_OK) {
        fail(d.err, "The JPEG data holds no picture");
        return false;
    }
    return true;
}

bool isCmyk(const jpeg_decompress_struct& cinfo) {
    return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

// Chooses the smallest scale n / 8 whose output is at least minWidth x minHeight (8 / 8
// when none is).
bool chooseScale(Decompressor& d, unsigned minWidth, unsigned minHeight) {
    if (setjmp(d.err.jump)) return false;
    d.cinfo.out_color_space = isCmyk(d.cinfo) ? JCS_CMYK : JCS_RGB;
    d.cinfo.scale_denom = 8;
    for (unsigned n = 1; n <= 8; ++n) {
        d.cinfo.scale_num = n;
        jpeg_calc_output_dimensions(&d.cinfo);
        if (d.cinfo.output_width >= minWidth && d.cinfo.output_height >= minHeight) break;
    }
    return true;
}

// The memory libjpeg takes beyond a few rows of samples. A file of several scans (progressive,
// or with components in scans of their own) is read whole before the first row comes out,
// into one array of DCT coefficients at full size: two bytes for every sample of every
// component, whatever the output scale. The header has been read up to the first scan.
qint64 coefficientBytes(const jpeg_decompress_struct& cinfo) {
    if (!cinfo.progressive_mode && cinfo.comps_in_scan >= cinfo.num_components) return 0;
    qint64 bytes = 0;
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpeg_component_info& comp = cinfo.comp_info[c];
        auto roundUp = [](qint64 n, qint64 step) { return (n + step - 1) / step * step; };
        bytes += roundUp(comp.width_in_blocks, comp.h_samp_factor) *
                 roundUp(comp.height_in_blocks, comp.v_samp_factor) * DCTSIZE2 *
                 qint64(sizeof(JCOEF));
    }
    return bytes;
}

bool begin(Decompressor& d) {
    if (setjmp(d.err.jump)) return false;
    if (!jpeg_start_decompress(&d.cinfo)) {
        fail(d.err, "The JPEG decoder did not start");
        return false;
    }
    return true;
}

// 8-bit CMYK to RGB. Adobe's files (the Adobe marker) store the inks inverted.
void cmykToRgb(const unsigned char* cmyk, unsigned char* rgb, unsigned width, bool inverted) {
    for (unsigned x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned v = inverted ? cmyk[c] : 255u - cmyk[c];
            rgb[c] = static_cast<unsigned char>((v * k + 127) / 255);
        }
    }
}

// Reads every scanline into bits (rows stride bytes apart). cmykRow: a buffer of
// 4 x output_width bytes for CMYK files, else unused.
bool readRows(Decompressor& d, unsigned char* bits, std::ptrdiff_t stride, unsigned char* cmykRow) {
    if (setjmp(d.err.jump)) return false;
    jpeg_decompress_struct& cinfo = d.cinfo;
    constexpr unsigned kBatch = 16;
    while (cinfo.output_scanline < cinfo.output_height) {
        const unsigned first = cinfo.output_scanline;
        JSAMPROW rows[kBatch];
        unsigned count = std::min(kBatch, cinfo.output_height - first);
        if (cmykRow) {
            rows[0] = cmykRow;
            count = 1;
        } else {
            for (unsigned i = 0; i < count; ++i) rows[i] = bits + (first + i) * stride;
        }
        const unsigned read = jpeg_read_scanlines(&cinfo, rows, count);
        if (read == 0) {
            fail(d.err, "The JPEG decoder returned no scanlines");
            return false;
        }
        if (cmykRow)
            cmykToRgb(cmykRow, bits + first * stride, cinfo.output_width, cinfo.saw_Adobe_marker);
    }
    if (!jpeg_finish_decompress(&cinfo)) {
        fail(d.err, "The JPEG decoder did not finish");
        return false;
    }
    return true;
}

// ---- EXIF orientation ----

unsigned read16(const unsigned char* p, bool bigEndian) {
    return bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

uint32_t read32(const unsigned char* p, bool bigEndian) {
    return bigEndian ? (uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3])
                     : (uint32_t(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0]);
}

// The orientation tag (0x0112) of the first image directory of an APP1 Exif segment.
int exifOrientation(const unsigned char* data, size_t size) {
    static const unsigned char kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    if (size < 6 + 8 || std::memcmp(data, kExif, 6) != 0) return 0;
    const unsigned char* tiff = data + 6;
    const size_t length = size - 6;
    bool bigEndian;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else
        return 0;
    if (read16(tiff + 2, bigEndian) != 42) return 0;
    const uint32_t ifd = read32(tiff + 4, bigEndian);
    if (ifd > length - 2) return 0;
    const unsigned entries = read16(tiff + ifd, bigEndian);
    for (unsigned i = 0; i < entries; ++i) {
        const size_t at = ifd + 2 + size_t(i) * 12;
        if (at + 12 > length) return 0;
        const unsigned char* entry = tiff + at;
        if (read16(entry, bigEndian) != 0x0112) continue;
        if (read16(entry + 2, bigEndian) != 3 || read32(entry + 4, bigEndian) < 1) return 0;
        const unsigned value = read16(entry + 8, bigEndian);
        return value >= 1 && value <= 8 ? int(value) : 0;
    }
    return 0;
}

int orientationOf(const jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1) continue;
        if (const int o = exifOrientation(m->data, m->data_length)) return o;
    }
    return 1;
}

// ---- encoding ----

// Collects the compressed bytes in one growing malloc'ed buffer; a failed allocation is a
// libjpeg error like any other.
struct Destination {
    jpeg_destination_mgr pub;
    unsigned char* buffer = nullptr;
    size_t capacity = 0;
    size_t size = 0;
};

void initDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->buffer = static_cast<unsigned char*>(std::malloc(dest->capacity));
    if (!dest->buffer) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->capacity;
}

boolean growDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    const size_t used = dest->capacity;
    auto* bigger = static_cast<unsigned char*>(std::realloc(dest->buffer, used * 2));
    if (!bigger) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    dest->buffer = bigger;
    dest->capacity = used * 2;
    dest->pub.next_output_byte = bigger + used;
    dest->pub.free_in_buffer = dest->capacity - used;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->size = dest->capacity - dest->pub.free_in_buffer;
}

struct Compressor {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    Destination dest{};
    Compressor() {
        install(err);
        cinfo.err = &err.pub;
        dest.pub.init_destination = initDestination;
        dest.pub.empty_output_buffer = growDestination;
        dest.pub.term_destination = termDestination;
    }
    ~Compressor() {
        jpeg_destroy_compress(&cinfo);
        std::free(dest.buffer);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

bool compress(Compressor& c, const unsigned char* bits, std::ptrdiff_t stride, unsigned width,
              unsigned height, int quality) {
    if (setjmp(c.err.jump)) return false;
    jpeg_compress_struct& cinfo = c.cinfo;
    jpeg_create_compress(&cinfo);
    cinfo.dest = &c.dest.pub;
    // About a byte a pixel at high qualities; the buffer doubles when that is not enough.
    c.dest.capacity = std::max<size_t>(size_t(width) * height, 65536);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    constexpr unsigned kBatch = 16;
    while (cinfo.next_scanline < height) {
        const unsigned first = cinfo.next_scanline;
        const unsigned count = std::min(kBatch, height - first);
        JSAMPROW rows[kBatch];
        for (unsigned i = 0; i < count; ++i)
            rows[i] = const_cast<unsigned char*>(bits + (first + i) * stride);
        if (jpeg_write_scanlines(&cinfo, rows, count) == 0) {
            fail(c.err, "The JPEG encoder took no scanlines");
            return false;
        }
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

QString messageOf(const ErrorManager& err) {
    return QString::fromLocal8Bit(err.message);
}

}  // namespace

bool looksLikeJpeg(const QByteArray& data) {
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 &&
           uchar(data[2]) == 0xFF;
}

Decoded decode(const QByteArray& data, const SizeNeeded& needed, qint64 maxPixels,
               qint64 maxBytes) {
    Decompressor d;
    if (!readHeader(d, reinterpret_cast<const unsigned char*>(data.constData()),
                    static_cast<unsigned long>(data.size())))
        throw DecodeError(messageOf(d.err));
    Decoded result;
    result.fullSize = QSize(int(d.cinfo.image_width), int(d.cinfo.image_height));
    checkPixels(result.fullSize, maxPixels);
    result.orientation = orientationOf(d.cinfo);
    const QSize atLeast = needed ? needed(result.fullSize, result.orientation) : QSize();
    const unsigned minWidth = atLeast.isEmpty() ? d.cinfo.image_width : unsigned(atLeast.width());
    const unsigned minHeight =
        atLeast.isEmpty() ? d.cinfo.image_height : unsigned(atLeast.height());
    if (!chooseScale(d, minWidth, minHeight)) throw DecodeError(messageOf(d.err));
    // The data, the coefficients and the decoded pixels are held at once.
    checkMemory(result.fullSize,
                data.size() + coefficientBytes(d.cinfo) +
                    qint64(d.cinfo.output_width) * d.cinfo.output_height * 3,
                maxBytes);
    if (!begin(d)) throw DecodeError(messageOf(d.err));
    result.scale = int(d.cinfo.scale_num);
    result.pixels =
        QImage(int(d.cinfo.output_width), int(d.cinfo.output_height), QImage::Format_RGB888);
    if (result.pixels.isNull())
        noMemoryFor(QSize(int(d.cinfo.output_width), int(d.cinfo.output_height)));
    std::vector<unsigned char> cmykRow(isCmyk(d.cinfo) ? size_t(d.cinfo.output_width) * 4 : 0);
    if (!readRows(d, result.pixels.bits(), result.pixels.bytesPerLine(),
                  cmykRow.empty() ? nullptr : cmykRow.data()))
        throw DecodeError(messageOf(d.err));
    return result;
}

QByteArray encode(const QImage& image, int quality) {
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull() || rgb.width() < 1 || rgb.height() < 1)
        throw errors::Error(QStringLiteral("There is no picture to encode as JPEG"));
    Compressor c;
    if (!compress(c, rgb.constBits(), rgb.bytesPerLine(), unsigned(rgb.width()),
                  unsigned(rgb.height()), quality))
        throw errors::Error(QStringLiteral("JPEG encoding failed: %1").arg(messageOf(c.err)));
    return QByteArray(reinterpret_cast<const char*>(c.dest.buffer), qsizetype(c.dest.size));
}

}  // namespace image::jpeg
