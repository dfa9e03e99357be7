// Upload image preparation and grid thumbnails, timed as whole processes by image_bench.sh
// beside vipsthumbnail and ImageMagick on the same files.
//
//   image_bench make FILE [COUNT]     camera-sized 6000 x 4000 JPEG(s): FILE, or FILE-1.jpg ...
//   image_bench prepare FILE SIZE OUT the upload image of FILE at SIZE, written to OUT
//   image_bench thumbnails FILE...    the grid's 128 x 128 thumbnail of every file, in turn
//   image_bench steps FILE SIZE       in-process milliseconds of decoding, scaling, encoding
//   image_bench craft KIND FILE W H [SCANS]  a small file of W x H that strains a decoder:
//                                     KIND "scans", a progressive JPEG with its last scan
//                                     repeated SCANS times; "png16" or "png8", a black PNG of
//                                     16 or 8 bits a channel; "svg", an SVG drawing
//
// Time and peak memory of one preparation, for instance:
//   image_bench craft scans big.jpg 15000 15000 3000
//   /usr/bin/time -v image_bench prepare big.jpg 1024 out.jpg   (Maximum resident set size)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include <QCoreApplication>
#include <QFont>
#include <QImage>

#include "platform/files/atomic_file.h"
#include "platform/image/image.h"
#include "platform/image/jpeg.h"
#include "platform/image/resample.h"
#include "tagging/thumbnail.h"
#include "tagging/upload_image.h"
#include "tests/support/crafted_pictures.h"

namespace {

// Photograph-like content: smooth colour fields, fine texture and sensor noise, so that the
// file has the size and entropy of a camera's (about 1.5 bits a pixel at quality 92).
QImage cameraPicture(int width, int height, unsigned seed) {
    QImage img(width, height, QImage::Format_RGB888);
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.f, 4.f);
    for (int y = 0; y < height; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const double texture =
                18 * std::sin(x * 0.21 + 3 * std::sin(y * 0.013)) * std::cos(y * 0.17 + seed);
            const double base[3] = {90 + 120 * u, 70 + 100 * v + 30 * std::sin(9 * u),
                                    160 - 90 * u * v};
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = uchar(std::clamp(base[c] + texture + noise(random), 0.0, 255.0));
        }
    }
    return img;
}

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

int make(const QString& file, int count) {
    for (int i = 0; i < count; ++i) {
        const QString path = count == 1 ? file : QStringLiteral("%1-%2.jpg").arg(file).arg(i + 1);
        files::writeAtomically(path,
                               image::jpeg::encode(cameraPicture(6000, 4000, unsigned(i)), 92));
    }
    return 0;
}

int prepare(const QString& file, int size, const QString& out) {
    const auto jpeg = tagging::prepareUploadImage(file, size);
    if (!jpeg) {
        std::fprintf(stderr, "Skip: %s\n", qPrintable(file));
        return 1;
    }
    tagging::writeUploadImage(out, *jpeg);
    return 0;
}

int thumbnails(const QStringList& files) {
    qint64 pixels = 0;
    for (const QString& file : files) pixels += tagging::loadThumbnailBitmap(file, 128).width();
    return pixels > 0 ? 0 : 1;
}

int steps(const QString& file, int size) {
    for (int round = 0; round < 6; ++round) {
        auto t = std::chrono::steady_clock::now();
        const QImage full = image::load(file);
        const double decodeFull = msSince(t);
        t = std::chrono::steady_clock::now();
        const QImage scaled = image::loadResized(
            file, [size](QSize s) { return image::fitWithin(s, size); }, 2.0);
        const double decodeAndScale = msSince(t);
        t = std::chrono::steady_clock::now();
        const QImage fromFull = image::resampleCubic(full, scaled.size());
        const double scaleFull = msSince(t);
        t = std::chrono::steady_clock::now();
        const QByteArray jpeg = image::jpeg::encode(scaled, 95);
        const double encode = msSince(t);
        if (round > 0)
            std::printf(
                "%d: full decode %.1f ms, reduced decode + cubic %.1f ms, cubic from full size "
                "%.1f ms, encode %.1f ms (%lld bytes)\n",
                size, decodeFull, decodeAndScale, scaleFull, encode, (long long)jpeg.size());
    }
    return 0;
}

int craft(const QStringList& args) {
    const QString kind = args[0];
    const int width = args[2].toInt(), height = args[3].toInt();
    QByteArray bytes;
    if (kind == "scans" && args.size() == 5)
        bytes = crafted::progressiveWithRepeatedScans(width, height, args[4].toInt());
    else if (kind == "png16" || kind == "png8")
        bytes = crafted::blackPng(width, height, kind == "png16" ? 16 : 8);
    else if (kind == "svg")
        bytes = crafted::blueSvg(width, height);
    else
        return 2;
    files::writeAtomically(args[1], bytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() >= 2 && args[0] == "make")
            return make(args[1], args.size() > 2 ? args[2].toInt() : 1);
        if (args.size() == 4 && args[0] == "prepare")
            return prepare(args[1], args[2].toInt(), args[3]);
        if (args.size() >= 2 && args[0] == "thumbnails") return thumbnails(args.mid(1));
        if (args.size() == 3 && args[0] == "steps") return steps(args[1], args[2].toInt());
        if (args.size() >= 5 && args[0] == "craft") return craft(args.mid(1));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(
        stderr,
        "usage: image_bench make FILE [COUNT] | prepare FILE SIZE OUT | "
        "thumbnails FILE... | steps FILE SIZE | craft scans|png16|png8|svg FILE W H [SCANS]\n");
    return 2;
}
