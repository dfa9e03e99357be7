#pragma once

// Picture files made to strain a decoder: small files that cost a decoder much time or memory.
// Used by the image tests and the image benchmark; they need libjpeg, not the program's own
// code.
#include <QByteArray>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

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

}  // namespace crafted
