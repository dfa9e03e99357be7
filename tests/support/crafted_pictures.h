#pragma once

// Picture files made to strain a decoder: small files that cost a decoder much time or memory.
// Used by the image tests and the image benchmark; they need libjpeg and zlib, not the
// program's own code.
#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

namespace crafted {

// The JPEG that libjpeg makes of width x height pixels of components samples each in
// colorSpace, at quality, its other settings at their defaults, progressive when asked;
// row(y) gives the samples of row y.
inline QByteArray libjpegEncode(int width, int height, int components, J_COLOR_SPACE colorSpace,
                                int quality, bool progressive,
                                const std::function<const unsigned char*(int y)>& row) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = colorSpace;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW samples = const_cast<unsigned char*>(row(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &samples, 1);
    }
    jpeg_finish_compress(&cinfo);
    const QByteArray data(reinterpret_cast<const char*>(out), qsizetype(outSize));
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return data;
}

// A progressive JPEG (libjpeg's simple progression, quality 90) of a flat grey picture of
// width x height, whose last scan stands repeats more times before the end of the data. The
// last scan covers every luma block with runs of empty blocks, a few bytes per 32767 blocks,
// so each repeat adds little to the file but makes a decoder pass over the whole picture again.
inline QByteArray progressiveWithRepeatedScans(int width, int height, int repeats) {
    const std::vector<unsigned char> grey(size_t(width) * 3, 128);
    const QByteArray plain =
        libjpegEncode(width, height, 3, JCS_RGB, 90, true, [&](int) { return grey.data(); });

    // The last scan: from its start-of-scan marker to the end-of-image marker.
    const qsizetype last = plain.lastIndexOf("\xFF\xDA");
    const qsizetype end = plain.size() - 2;
    if (last < 0 || plain.mid(end) != QByteArray("\xFF\xD9", 2))
        throw std::runtime_error("libjpeg wrote no progressive scans");
    const QByteArray scan = plain.mid(last, end - last);
    QByteArray crafted = plain.left(end);
    crafted.reserve(end + scan.size() * repeats + 2);
    for (int i = 0; i < repeats; ++i) crafted += scan;
    return crafted + plain.mid(end);
}

// A valid PNG of width x height, RGB with bitsPerChannel (8 or 16) bits a channel, every
// pixel black. The pixel rows are deflated in runs of 256 rows, each run a raw deflate stream
// of its own flushed to a byte boundary; runs of black rows are alike, so one is deflated and
// its bytes stand for all of them. Making even a file of 15000 x 15000 pixels takes a few
// milliseconds and no picture's memory; the file is about a thousandth of the pixel data.
inline QByteArray blackPng(int width, int height, int bitsPerChannel) {
    const std::vector<unsigned char> row(size_t(width) * 3 * (bitsPerChannel / 8) + 1, 0);
    auto deflateRows = [&](int rows, bool last) {
        z_stream z{};
        if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_RLE) != Z_OK)
            throw std::runtime_error("zlib did not start");
        std::vector<unsigned char> buffer(1 << 16);
        QByteArray out;
        for (int y = 0; y <= rows; ++y) {
            const bool end = y == rows;
            z.next_in = const_cast<Bytef*>(row.data());
            z.avail_in = end ? 0 : uInt(row.size());
            do {
                z.next_out = buffer.data();
                z.avail_out = uInt(buffer.size());
                deflate(&z, end ? (last ? Z_FINISH : Z_SYNC_FLUSH) : Z_NO_FLUSH);
                out.append(reinterpret_cast<const char*>(buffer.data()),
                           qsizetype(buffer.size() - z.avail_out));
            } while (z.avail_out == 0);
        }
        deflateEnd(&z);
        return out;
    };
    constexpr int kRun = 256;
    const QByteArray run = deflateRows(kRun, false);
    QByteArray data("\x78\x01", 2);  // zlib header: deflate, 32 KB window
    for (int y = 0; y + kRun <= height; y += kRun) data += run;
    data += deflateRows(height % kRun, true);
    const uLong rowSum = adler32(adler32(0, nullptr, 0), row.data(), uInt(row.size()));
    uLong sum = adler32(0, nullptr, 0);
    for (int y = 0; y < height; ++y) sum = adler32_combine(sum, rowSum, z_off_t(row.size()));
    QByteArray trailer(4, '\0');
    qToBigEndian<quint32>(quint32(sum), trailer.data());

    auto chunk = [](const char* type, const QByteArray& body) {
        const QByteArray typed = QByteArray(type, 4) + body;
        QByteArray c(4, '\0');
        qToBigEndian<quint32>(quint32(body.size()), c.data());
        QByteArray crc(4, '\0');
        qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()),
                                            uInt(typed.size()))),
                              crc.data());
        return c + typed + crc;
    };
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(width), header.data());
    qToBigEndian<quint32>(quint32(height), header.data() + 4);
    header[8] = char(bitsPerChannel);
    header[9] = 2;  // RGB
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", header) +
           chunk("IDAT", data + trailer) + chunk("IEND", {});
}

// An SVG drawing of width x height, one blue area: about 120 bytes whatever the size, and a
// reader that renders it makes a picture of that size.
inline QByteArray blueSvg(int width, int height) {
    return QStringLiteral(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\">"
               "<rect width=\"100%\" height=\"100%\" fill=\"#3060c0\"/></svg>")
        .arg(width)
        .arg(height)
        .toUtf8();
}

}  // namespace crafted
