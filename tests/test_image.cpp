// Pictures for the tagger: decoding, the upload image and the grid's thumbnails, on files that
// the tests make in temporary folders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <jpeglib.h>

#include "platform/image/image.h"
#include "platform/image/jpeg.h"
#include "platform/image/resample.h"
#include "tagging/thumbnail.h"
#include "tagging/upload_image.h"
#include "tests/support/crafted_pictures.h"
#include "tests/support/fifo.h"
#include "tests/support/file_bytes.h"

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    ::writeFile(path, bytes);
    return path;
}

// A smooth picture with a distinct colour in each quadrant, so orientation shows.
QImage quadrants(int width, int height) {
    QImage img(width, height, QImage::Format_RGB888);
    img.fill(Qt::white);
    QPainter p(&img);
    p.fillRect(0, 0, width / 2, height / 2, QColor(220, 30, 30));                  // top left
    p.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(30, 200, 30));  // top right
    p.fillRect(0, height / 2, width / 2, height - height / 2, QColor(30, 30, 220));
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(230, 230, 40));
    return img;
}

QByteArray jpegOf(const QImage& img, int quality = 90) {
    return image::jpeg::encode(img, quality);
}

// The JPEG with an APP1 Exif segment holding one orientation tag, right after SOI.
QByteArray withOrientation(const QByteArray& jpeg, int orientation, bool bigEndian) {
    auto put16 = [&](QByteArray& b, unsigned v) {
        if (bigEndian) {
            b.append(char(v >> 8)).append(char(v));
        } else {
            b.append(char(v)).append(char(v >> 8));
        }
    };
    auto put32 = [&](QByteArray& b, unsigned v) {
        if (bigEndian) {
            put16(b, v >> 16), put16(b, v & 0xFFFF);
        } else {
            put16(b, v & 0xFFFF), put16(b, v >> 16);
        }
    };
    QByteArray tiff = bigEndian ? QByteArray("MM") : QByteArray("II");
    put16(tiff, 42);
    put32(tiff, 8);
    put16(tiff, 1);       // one entry
    put16(tiff, 0x0112);  // orientation
    put16(tiff, 3);       // SHORT
    put32(tiff, 1);
    put16(tiff, unsigned(orientation));
    put16(tiff, 0);
    put32(tiff, 0);  // no next directory
    const QByteArray payload = QByteArray("Exif", 4) + QByteArray(2, '\0') + tiff;
    QByteArray segment("\xFF\xE1", 2);
    const int length = int(payload.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

struct JpegFacts {
    QSize size;
    bool progressive = true;
    bool baselineMarker = false;  // SOF0
    std::vector<unsigned> luma, chroma;
};

// What libjpeg itself reads from encoded data.
JpegFacts factsOf(const QByteArray& data) {
    JpegFacts facts;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
        facts.size = QSize(int(cinfo.image_width), int(cinfo.image_height));
        facts.progressive = cinfo.progressive_mode;
        for (int i = 0; i < DCTSIZE2; ++i) {
            facts.luma.push_back(cinfo.quant_tbl_ptrs[0]->quantval[i]);
            facts.chroma.push_back(cinfo.quant_tbl_ptrs[1]->quantval[i]);
        }
    }
    jpeg_destroy_decompress(&cinfo);
    // Walk the markers up to the first scan.
    for (qsizetype at = 2; at + 4 <= data.size() && uchar(data[at]) == 0xFF;) {
        const uchar marker = uchar(data[at + 1]);
        if (marker == 0xC0) facts.baselineMarker = true;
        if (marker == 0xDA) break;
        at += 2 + (uchar(data[at + 2]) << 8 | uchar(data[at + 3]));
    }
    return facts;
}

// libjpeg's tables for a quality, in the same (natural) order as read back.
std::pair<std::vector<unsigned>, std::vector<unsigned>> tablesOfQuality(int quality) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    cinfo.in_color_space = JCS_RGB;
    cinfo.input_components = 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    std::vector<unsigned> luma, chroma;
    for (int i = 0; i < DCTSIZE2; ++i) {
        luma.push_back(cinfo.quant_tbl_ptrs[0]->quantval[i]);
        chroma.push_back(cinfo.quant_tbl_ptrs[1]->quantval[i]);
    }
    jpeg_destroy_compress(&cinfo);
    return {luma, chroma};
}

QColor pixel(const QImage& img, double fx, double fy) {
    return img.pixelColor(int(fx * (img.width() - 1)), int(fy * (img.height() - 1)));
}

void expectNear(const QColor& actual, const QColor& expected, int tolerance, const char* where) {
    EXPECT_NEAR(actual.red(), expected.red(), tolerance) << where;
    EXPECT_NEAR(actual.green(), expected.green(), tolerance) << where;
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance) << where;
}

// The four quadrant colours of a decoded picture, upright: top left, top right, bottom
// left, bottom right.
std::vector<QColor> corners(const QImage& img) {
    return {pixel(img, 0.25, 0.25), pixel(img, 0.75, 0.25), pixel(img, 0.25, 0.75),
            pixel(img, 0.75, 0.75)};
}

class ImageFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
};

// ---- the size rule and the limit text ----

TEST(UploadSize, FollowsTheLimitTextAndTheSizeRuleOnRealFiles) {
    struct Case {
        QSize source;
        const char* limit;
        QSize expected;
    };
    const Case cases[] = {
        {{4000, 3000}, "1024", {1024, 768}},  {{3000, 4000}, "1024", {768, 1024}},
        {{5472, 3648}, "1024", {1024, 683}},  {{6000, 4000}, "1536", {1536, 1024}},
        {{6000, 4000}, "3072", {3072, 2048}}, {{800, 600}, "1024", {800, 600}},
        {{1024, 1024}, "1024", {1024, 1024}}, {{2048, 1021}, "1024", {1024, 510}},
        {{1025, 1}, "1024", {1024, 1}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.source.width() << " x " << c.source.height() << " at " << c.limit);
        const QString path =
            writeFile(dir, "in.jpg", jpegOf(quadrants(c.source.width(), c.source.height())));
        const auto jpeg = tagging::prepareUploadImage(path, tagging::uploadSizeLimit(c.limit));
        ASSERT_TRUE(jpeg.has_value());
        EXPECT_EQ(factsOf(*jpeg).size, c.expected);
        EXPECT_EQ(image::decodeJpeg(*jpeg).size(), c.expected);
    }
    EXPECT_EQ(image::fitWithin({5000, 3000}, 0), QSize(5000, 3000));
    EXPECT_EQ(image::fitWithin({10000, 3}, 1024), QSize(1024, 1));  // never a side of 0
}

TEST(UploadSize, TheLimitIsTheBoxTextAsAnIntegerOr1024) {
    const std::pair<const char*, int> cases[] = {
        {"1024", 1024}, {"1536", 1536}, {"3072", 3072}, {"", 1024}, {"abc", 1024}, {"12px", 1024},
    };
    for (const auto& [text, limit] : cases)
        EXPECT_EQ(tagging::uploadSizeLimit(text), limit) << text;
}

TEST(UploadSize, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(image::roundHalfEven(510.5), 510);
    EXPECT_EQ(image::roundHalfEven(511.5), 512);
    EXPECT_EQ(image::roundHalfEven(0.5), 0);
    EXPECT_EQ(image::roundHalfEven(510.49), 510);
    EXPECT_EQ(image::roundHalfEven(510.51), 511);
}

// ---- the encoded upload image ----

TEST_F(ImageFiles, TheUploadIsABaselineJpegOfQuality95) {
    const QString path = writeFile(dir, "photo.jpg", jpegOf(quadrants(1600, 1200), 80));
    const auto jpeg = tagging::prepareUploadImage(path, 1024);
    ASSERT_TRUE(jpeg.has_value());
    const JpegFacts facts = factsOf(*jpeg);
    const auto [luma, chroma] = tablesOfQuality(95);
    EXPECT_EQ(facts.size, QSize(1024, 768));
    EXPECT_FALSE(facts.progressive);
    EXPECT_TRUE(facts.baselineMarker);
    EXPECT_EQ(facts.luma, luma);
    EXPECT_EQ(facts.chroma, chroma);
    EXPECT_NE(facts.luma, tablesOfQuality(80).first);  // the source's own tables are gone
}

TEST_F(ImageFiles, OtherFormatsComeOutAsJpeg) {
    struct Case {
        const char* name;
        const char* format;
        QSize source;
        QSize expected;
    };
    const Case cases[] = {
        {"a.png", "png", {1600, 1200}, {1024, 768}},   {"a.bmp", "bmp", {1600, 1200}, {1024, 768}},
        {"a.tif", "tiff", {1200, 1600}, {768, 1024}},  {"a.ico", "ico", {200, 150}, {200, 150}},
        {"a.webp", "webp", {1600, 1200}, {1024, 768}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        QImageWriter writer(path, c.format);
        if (std::string(c.format) == "webp") writer.setQuality(100);
        ASSERT_TRUE(writer.write(quadrants(c.source.width(), c.source.height())))
            << writer.errorString().toStdString();
        const auto jpeg = tagging::prepareUploadImage(path, 1024);
        ASSERT_TRUE(jpeg.has_value());
        ASSERT_TRUE(image::jpeg::looksLikeJpeg(*jpeg));
        const QImage out = image::decodeJpeg(*jpeg);
        EXPECT_EQ(out.size(), c.expected);
        const std::vector<QColor> expected = corners(quadrants(100, 100));
        const std::vector<QColor> actual = corners(out);
        for (int i = 0; i < 4; ++i) expectNear(actual[i], expected[i], 12, "quadrant");
    }
}

TEST_F(ImageFiles, TransparentAreasAreLaidOnWhite) {
    QImage img(400, 200, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter(&img).fillRect(200, 0, 200, 200, QColor(0, 0, 255, 128));
    const QString path = dir.filePath("alpha.png");
    ASSERT_TRUE(img.save(path));
    const auto jpeg = tagging::prepareUploadImage(path, 1024);
    ASSERT_TRUE(jpeg.has_value());
    const QImage out = image::decodeJpeg(*jpeg);
    expectNear(pixel(out, 0.25, 0.5), QColor(255, 255, 255), 3, "clear");
    expectNear(pixel(out, 0.75, 0.5), QColor(127, 127, 255), 6, "half blue");
}

TEST_F(ImageFiles, UnreadableFilesAreDecodingFailures) {
    const QByteArray good = jpegOf(quadrants(640, 480));
    QByteArray bomb = jpegOf(quadrants(16, 16));
    // The frame header claims 20000 x 20000 pixels: 400 megapixels.
    const qsizetype sof = bomb.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    bomb[sof + 5] = char(20000 >> 8), bomb[sof + 6] = char(20000 & 0xFF);
    bomb[sof + 7] = char(20000 >> 8), bomb[sof + 8] = char(20000 & 0xFF);
    const std::pair<const char*, QByteArray> cases[] = {
        {"notes.jpg", "These are my notes, not a picture.\n"},
        {"empty.png", QByteArray()},
        {"cut.jpg", good.left(good.size() / 2)},
        {"cut-at-end.jpg", good.left(good.size() - 40)},
        {"bomb.jpg", bomb},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const QString path = writeFile(dir, name, bytes);
        EXPECT_FALSE(tagging::prepareUploadImage(path, 1024).has_value());
        EXPECT_THROW(tagging::loadThumbnailBitmap(path, 128), image::DecodeError);
    }
    EXPECT_FALSE(tagging::prepareUploadImage(dir.filePath("missing.jpg"), 1024).has_value());

    // A pipe named like a picture is not waited on.
    const QString pipe = dir.filePath("x.jpg");
    ASSERT_TRUE(makeFifo(pipe));
    EXPECT_TRUE(finishesWithoutWaitingOn({pipe}, [&] {
        EXPECT_FALSE(tagging::prepareUploadImage(pipe, 1024).has_value());
        EXPECT_THROW(tagging::loadThumbnailBitmap(pipe, 128), image::DecodeError);
    }));
}

TEST_F(ImageFiles, ProgressiveJpegsWithEndlesslyRepeatedScansAreRefused) {
    // libjpeg's own progression, with its last scan repeated: every repeat sends the decoder
    // over the whole picture once more.
    const QByteArray marker("\xFF\xDA", 2);
    const int own = int(crafted::progressiveWithRepeatedScans(64, 48, 0).count(marker));
    ASSERT_GE(own, 2);
    const std::pair<int, bool> cases[] = {
        {0, true},
        {image::jpeg::kMaxScans - own, true},
        {image::jpeg::kMaxScans - own + 1, false},
        {20 * image::jpeg::kMaxScans, false},
    };
    for (const auto& [repeats, decodes] : cases) {
        SCOPED_TRACE(testing::Message() << own + repeats << " scans");
        const QString path =
            writeFile(dir, "scans.jpg", crafted::progressiveWithRepeatedScans(64, 48, repeats));
        EXPECT_EQ(tagging::prepareUploadImage(path, 1024).has_value(), decodes);
        if (decodes)
            EXPECT_EQ(tagging::loadThumbnailBitmap(path, 128).size(), QSize(64, 48));
        else
            EXPECT_THROW(tagging::loadThumbnailBitmap(path, 128), image::DecodeError);
    }
}

// CRC-32 of PNG chunks.
quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= uchar(ch);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

TEST_F(ImageFiles, HugePicturesAreRefusedFromTheirHeader) {
    QByteArray png;
    {
        QImage small(8, 8, QImage::Format_RGB888);
        small.fill(Qt::gray);
        QBuffer buffer(&png);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        ASSERT_TRUE(small.save(&buffer, "PNG"));
    }
    // IHDR at 8: length, "IHDR", width and height; then its CRC over type and data.
    auto put32 = [&](qsizetype at, quint32 v) {
        for (int i = 0; i < 4; ++i) png[at + i] = char(v >> (24 - 8 * i));
    };
    put32(16, 30000), put32(20, 30000);
    put32(29, crc32(png.mid(12, 17)));
    const QString path = writeFile(dir, "bomb.png", png);
    try {
        image::load(path);
        ADD_FAILURE() << "decoded";
    } catch (const image::DecodeError& e) {
        EXPECT_TRUE(e.message().contains("larger than")) << e.message().toStdString();
    }
    EXPECT_FALSE(tagging::prepareUploadImage(path, 1024).has_value());
}

// The frame header of a JPEG made to claim another size.
QByteArray withClaimedSize(QByteArray jpeg, QSize size) {
    const qsizetype sof = std::max(jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"));
    if (sof > 0) {
        jpeg[sof + 5] = char(size.height() >> 8), jpeg[sof + 6] = char(size.height() & 0xFF);
        jpeg[sof + 7] = char(size.width() >> 8), jpeg[sof + 8] = char(size.width() & 0xFF);
    }
    return jpeg;
}

TEST_F(ImageFiles, PicturesThatWouldTakeTooMuchMemoryAreRefusedFromTheirHeader) {
    // Each has far fewer pixels than the pixel limit: what counts is the memory they need.
    const std::pair<const char*, QByteArray> cases[] = {
        // 72 megapixels of 8 bytes: 576 MB.
        {"sixteen-bits.png", crafted::blackPng(9000, 8000, 16)},
        // libjpeg holds every coefficient of a progressive file: 15000 x 15000 needs 675 MB.
        {"progressive.jpg",
         withClaimedSize(crafted::progressiveWithRepeatedScans(64, 48, 0), {15000, 15000})},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const QString path = writeFile(dir, name, bytes);
        EXPECT_FALSE(tagging::prepareUploadImage(path, 1024).has_value());
        try {
            tagging::loadThumbnailBitmap(path, 128);
            ADD_FAILURE() << "decoded";
        } catch (const image::DecodeError& e) {
            EXPECT_TRUE(e.message().contains("MB that decoding a picture may take"))
                << e.message().toStdString();
        }
    }
    // The same at camera sizes decodes, 16 bits a channel included.
    const QString normal = writeFile(dir, "camera.png", crafted::blackPng(600, 400, 16));
    const QImage thumbnail = tagging::loadThumbnailBitmap(normal, 128);
    EXPECT_EQ(thumbnail.size(), QSize(128, 85));
    EXPECT_EQ(thumbnail.pixelColor(64, 40), QColor(Qt::black));
    const QString progressive =
        writeFile(dir, "camera.jpg", crafted::progressiveWithRepeatedScans(3000, 2000, 0));
    EXPECT_EQ(tagging::loadThumbnailBitmap(progressive, 128).size(), QSize(128, 85));
}

TEST_F(ImageFiles, APngTooLargeAtFullSizeIsScaledWhileItIsRead) {
    // 11600 x 11600 at 4 bytes a pixel would take 538 MB; read at the size needed, a few MB.
    const QString path = writeFile(dir, "panorama.png", crafted::blackPng(11600, 11600, 8));
    EXPECT_THROW(image::load(path), image::DecodeError);
    const QImage thumbnail = tagging::loadThumbnailBitmap(path, 128);
    EXPECT_EQ(thumbnail.size(), QSize(128, 128));
    EXPECT_EQ(thumbnail.pixelColor(64, 64), QColor(Qt::black));
}

TEST_F(ImageFiles, DrawingsAreNoPhotographs) {
    // A reader of drawings renders them at the size they name: a hundred bytes of SVG can
    // name 15000 x 15000 pixels. Refused at any size.
    const QString path = writeFile(dir, "drawing.svg", crafted::blueSvg(300, 200));
    EXPECT_FALSE(tagging::prepareUploadImage(path, 1024).has_value());
    EXPECT_THROW(tagging::loadThumbnailBitmap(path, 128), image::DecodeError);
    EXPECT_FALSE(image::readableSuffixes().contains("svg"));
    EXPECT_TRUE(image::readableSuffixes().contains("png"));
}

// ---- orientation ----

TEST_F(ImageFiles, ExifOrientationsComeOutAsQtsReaderShowsThem) {
    const QByteArray plain = jpegOf(quadrants(64, 48), 95);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (bool bigEndian : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "orientation " << orientation << (bigEndian ? " MM" : " II"));
            const QString path =
                writeFile(dir, "o.jpg", withOrientation(plain, orientation, bigEndian));
            QImageReader reader(path);
            reader.setAutoTransform(true);
            const QImage expected = reader.read();
            const QImage actual = image::load(path);
            ASSERT_EQ(actual.size(), expected.size());
            const std::vector<QColor> e = corners(expected), a = corners(actual);
            for (int i = 0; i < 4; ++i) expectNear(a[i], e[i], 4, "quadrant");
        }
    }
}

TEST_F(ImageFiles, ARotatedPhotographIsUploadedUpright) {
    // Stored 3000 x 2000 (landscape) and tagged "rotate 90 clockwise to show".
    const QString path =
        writeFile(dir, "portrait.jpg", withOrientation(jpegOf(quadrants(3000, 2000)), 6, true));
    const auto jpeg = tagging::prepareUploadImage(path, 1024);
    ASSERT_TRUE(jpeg.has_value());
    const QImage out = image::decodeJpeg(*jpeg);
    EXPECT_EQ(out.size(), QSize(683, 1024));
    const std::vector<QColor> stored = corners(quadrants(100, 100));
    // Rotated clockwise: the stored bottom left comes to the top left.
    const std::vector<QColor> actual = corners(out);
    expectNear(actual[0], stored[2], 8, "top left");
    expectNear(actual[1], stored[0], 8, "top right");
    expectNear(actual[2], stored[3], 8, "bottom left");
    expectNear(actual[3], stored[1], 8, "bottom right");
    EXPECT_EQ(tagging::loadThumbnailBitmap(path, 128).size(), QSize(85, 128));
}

TEST_F(ImageFiles, CmykJpegsDecodeLikeQtsReader) {
    // Adobe's convention: inverted inks, with the Adobe marker that libjpeg writes.
    const int w = 64, h = 32;
    std::vector<unsigned char> cmyk(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &cmyk[(size_t(y) * w + x) * 4];
            const bool left = x < w / 2;
            p[0] = left ? 255 : 0, p[1] = left ? 0 : 255, p[2] = left ? 0 : 255, p[3] = 230;
        }
    const QByteArray data = crafted::libjpegEncode(w, h, 4, JCS_CMYK, 95, false,
                                                   [&](int y) { return &cmyk[size_t(y) * w * 4]; });

    const QString path = writeFile(dir, "cmyk.jpg", data);
    const QImage expected = QImage(path).convertToFormat(QImage::Format_RGB888);
    const QImage actual = image::load(path);
    ASSERT_EQ(actual.size(), expected.size());
    expectNear(pixel(actual, 0.2, 0.5), expected.pixelColor(w / 5, h / 2), 3, "left");
    expectNear(pixel(actual, 0.8, 0.5), expected.pixelColor(w * 4 / 5, h / 2), 3, "right");
    EXPECT_GT(pixel(actual, 0.2, 0.5).red(), 150);  // the left half is cyan-free: red
}

// ---- quality ----

// A test chart with detail at every frequency: a zone plate, fine lines, text and colour.
QImage testChart(int width, int height) {
    QImage img(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double dx = x - width / 2.0, dy = y - height / 2.0;
            const double v = 127.5 + 127.5 * std::cos(M_PI * (dx * dx + dy * dy) / (2.0 * width));
            row[3 * x] = uchar(v);
            row[3 * x + 1] = uchar(255 - v);
            row[3 * x + 2] = uchar(x * 255 / width);
        }
    }
    QPainter p(&img);
    for (int i = 0; i < width / 4; i += 3) p.fillRect(i, 0, 1, height / 4, Qt::black);
    QFont font;
    font.setPixelSize(height / 30);
    p.setFont(font);
    p.setPen(Qt::black);
    for (int line = 0; line < 6; ++line)
        p.drawText(width / 20, height * 6 / 10 + line * height / 25,
                   "Stock photography: title, description and keywords 0123456789");
    p.fillRect(width * 3 / 4, height * 3 / 4, width / 8, height / 8, QColor(255, 140, 0));
    return img;
}

// The same filter as the program's, computed the plain way in double precision on the full
// picture: every output pixel the normalised weighted sum of the source pixels in its
// widened support.
QImage exactCubic(const QImage& src, QSize size) {
    auto weights = [](int out, int in, std::vector<int>& first,
                      std::vector<std::vector<double>>& w) {
        const double scale = double(in) / out, stretch = std::max(1.0, scale);
        first.assign(out, 0);
        w.assign(out, {});
        for (int i = 0; i < out; ++i) {
            const double center = (i + 0.5) * scale;
            double sum = 0;
            for (int j = std::max(0, int(center - 2 * stretch) - 1);
                 j < std::min(in, int(center + 2 * stretch) + 2); ++j) {
                const double k = image::catmullRom((j + 0.5 - center) / stretch);
                if (w[i].empty() && k == 0) continue;
                if (w[i].empty()) first[i] = j;
                w[i].push_back(k);
                sum += k;
            }
            for (double& k : w[i]) k /= sum;
        }
    };
    std::vector<int> fx, fy;
    std::vector<std::vector<double>> wx, wy;
    weights(size.width(), src.width(), fx, wx);
    weights(size.height(), src.height(), fy, wy);
    std::vector<double> columns(size_t(src.width()) * 3);
    QImage out(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        std::fill(columns.begin(), columns.end(), 0.0);
        for (size_t k = 0; k < wy[y].size(); ++k) {
            const uchar* row = src.constScanLine(fy[y] + int(k));
            for (size_t i = 0; i < columns.size(); ++i) columns[i] += wy[y][k] * row[i];
        }
        uchar* o = out.scanLine(y);
        for (int x = 0; x < size.width(); ++x)
            for (int c = 0; c < 3; ++c) {
                double v = 0;
                for (size_t k = 0; k < wx[x].size(); ++k)
                    v += wx[x][k] * columns[size_t(fx[x] + int(k)) * 3 + c];
                o[3 * x + c] = uchar(std::clamp(std::lround(v), 0L, 255L));
            }
    }
    return out;
}

// Mean structural similarity of the luma of two pictures of one size, over 8 x 8 windows
// placed every 4 pixels.
double ssim(const QImage& a, const QImage& b) {
    auto luma = [](const QImage& img) {
        std::vector<double> y(size_t(img.width()) * img.height());
        for (int j = 0; j < img.height(); ++j) {
            const uchar* p = img.constScanLine(j);
            for (int i = 0; i < img.width(); ++i)
                y[size_t(j) * img.width() + i] =
                    0.299 * p[3 * i] + 0.587 * p[3 * i + 1] + 0.114 * p[3 * i + 2];
        }
        return y;
    };
    const std::vector<double> ya = luma(a), yb = luma(b);
    const int w = a.width();
    const double c1 = std::pow(0.01 * 255, 2), c2 = std::pow(0.03 * 255, 2);
    double total = 0;
    int windows = 0;
    for (int y0 = 0; y0 + 8 <= a.height(); y0 += 4)
        for (int x0 = 0; x0 + 8 <= w; x0 += 4) {
            double ma = 0, mb = 0, va = 0, vb = 0, cov = 0;
            for (int y = y0; y < y0 + 8; ++y)
                for (int x = x0; x < x0 + 8; ++x) ma += ya[y * w + x], mb += yb[y * w + x];
            ma /= 64, mb /= 64;
            for (int y = y0; y < y0 + 8; ++y)
                for (int x = x0; x < x0 + 8; ++x) {
                    const double da = ya[y * w + x] - ma, db = yb[y * w + x] - mb;
                    va += da * da, vb += db * db, cov += da * db;
                }
            va /= 63, vb /= 63, cov /= 63;
            total +=
                ((2 * ma * mb + c1) * (2 * cov + c2)) / ((ma * ma + mb * mb + c1) * (va + vb + c2));
            ++windows;
        }
    return total / windows;
}

QImage toRgb888(const QImage& img) {
    return img.convertToFormat(QImage::Format_RGB888);
}

TEST_F(ImageFiles, ReducedDecodingLosesNothingAgainstTheExactFilterAtFullSize) {
    const QString path = writeFile(dir, "chart.jpg", jpegOf(testChart(3000, 2000), 95));
    const QImage full = image::load(path);
    ASSERT_EQ(full.size(), QSize(3000, 2000));
    // 1024 decodes at 6/8, 400 at 3/8 and 150 at 1/8 before the cubic step.
    for (int limit : {1024, 400, 150}) {
        SCOPED_TRACE(limit);
        const QSize target = image::fitWithin(full.size(), limit);
        const QImage reference = exactCubic(full, target);
        const QImage fast = image::loadResized(
            path, [limit](QSize s) { return image::fitWithin(s, limit); }, 2.0);
        ASSERT_EQ(fast.size(), target);
        EXPECT_GE(ssim(fast, reference), 0.99);
        const auto jpeg = tagging::prepareUploadImage(path, limit);
        ASSERT_TRUE(jpeg.has_value());
        EXPECT_GE(ssim(image::decodeJpeg(*jpeg), reference), 0.98);
        // The chart is hard enough: point sampling, which aliases, falls well short.
        EXPECT_LT(ssim(toRgb888(full.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation)),
                       reference),
                  0.9);
    }
}

TEST(Resample, AnUnchangedSizeKeepsEveryPixelAndFlatAreasStayFlat) {
    const QImage chart = testChart(300, 200);
    EXPECT_EQ(image::resampleCubic(chart, chart.size()), chart);
    QImage grey(997, 13, QImage::Format_RGB888);
    grey.fill(QColor(77, 128, 201));
    for (QSize size : {QSize(100, 13), QSize(1, 1), QSize(997, 2), QSize(50, 50)}) {
        const QImage out = image::resampleCubic(grey, size);
        ASSERT_EQ(out.size(), size);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                ASSERT_EQ(out.pixelColor(x, y), QColor(77, 128, 201)) << x << "," << y;
    }
}

// ---- thumbnails ----

TEST_F(ImageFiles, ThumbnailsFit128AndAreNeverEnlarged) {
    const QString landscape = writeFile(dir, "l.jpg", jpegOf(quadrants(4000, 3000)));
    const QString portrait = writeFile(dir, "p.jpg", jpegOf(quadrants(3000, 4000)));
    const QImage small = quadrants(100, 50);
    const QString tiny = dir.filePath("s.png");
    ASSERT_TRUE(small.save(tiny));
    const QImage l = tagging::loadThumbnailBitmap(landscape, 128);
    EXPECT_EQ(l.size(), QSize(128, 96));
    EXPECT_EQ(l.format(), QImage::Format_RGB888);
    const std::vector<QColor> expected = corners(quadrants(100, 100)), actual = corners(l);
    for (int i = 0; i < 4; ++i) expectNear(actual[i], expected[i], 8, "quadrant");
    EXPECT_EQ(tagging::loadThumbnailBitmap(portrait, 128).size(), QSize(96, 128));
    EXPECT_EQ(tagging::loadThumbnailBitmap(tiny, 128), small);
}

// ---- the upload file ----

TEST_F(ImageFiles, TheUploadFileIsReplacedWholeAndDeleted) {
    EXPECT_EQ(QFileInfo(tagging::uploadImagePath()).fileName(), "AI_Input_Upload.jpg");
    EXPECT_EQ(QFileInfo(tagging::uploadImagePath()).absolutePath(),
              QFileInfo(QDir::tempPath()).absoluteFilePath() +
                  QStringLiteral("/pixolet-%1").arg(::geteuid()));
    const QString upload = dir.filePath("AI_Input_Upload.jpg");
    const QString first = dir.filePath("first.png");
    ASSERT_TRUE(quadrants(300, 200).save(first));
    const QString second = writeFile(dir, "second.jpg", jpegOf(quadrants(2000, 1000)));

    tagging::deleteUploadImage(upload);  // nothing there yet: no error
    const auto a = tagging::prepareUploadImage(first, 1024);
    ASSERT_TRUE(a.has_value());
    tagging::writeUploadImage(upload, *a);
    EXPECT_EQ(readAll(upload), *a);
    tagging::deleteUploadImage(upload);
    EXPECT_FALSE(QFile::exists(upload));
    const auto b = tagging::prepareUploadImage(second, 1024);
    ASSERT_TRUE(b.has_value());
    tagging::writeUploadImage(upload, *b);
    EXPECT_EQ(readAll(upload), *b);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"AI_Input_Upload.jpg", "first.png", "second.jpg"}));
}

TEST_F(ImageFiles, WriteAndDeleteFailuresCarryTheSystemsMessage) {
    const QString folder = dir.filePath("AI_Input_Upload.jpg");
    ASSERT_TRUE(QDir().mkpath(folder + "/inside"));  // a folder where the file should be
    try {
        tagging::deleteUploadImage(folder);
        ADD_FAILURE() << "deleted";
    } catch (const errors::Error& e) {
        EXPECT_TRUE(e.message().contains("AI_Input_Upload.jpg")) << e.message().toStdString();
    }
    EXPECT_THROW(tagging::writeUploadImage(dir.filePath("missing/deeper/AI_Input_Upload.jpg"), "x"),
                 errors::Error);
}

// The temporary folder is shared by all users: a link that someone else put there, in the
// upload file's place or in its folder's, never makes the upload write or delete a file of
// the user's.
TEST_F(ImageFiles, TheUploadNeverGoesThroughALinkInTheSharedTemporaryFolder) {
    const QString shared = dir.filePath("tmp");
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", shared.toUtf8());
    const auto restoreTemp = qScopeGuard([&] { qputenv("TMPDIR", savedTemp); });
    const QString own = dir.filePath("Own");
    ASSERT_TRUE(QDir().mkpath(own));
    const QString victim = writeFile(dir, "Own/AI_Input_Upload.jpg", "the user's own picture");
    ASSERT_TRUE(QFile::link(victim, shared + "/AI_Input_Upload.jpg"));
    const auto jpeg =
        tagging::prepareUploadImage(writeFile(dir, "p.jpg", jpegOf(quadrants(64, 48))), 1024);
    ASSERT_TRUE(jpeg.has_value());

    const QString upload = tagging::uploadImagePath();
    EXPECT_EQ(QFileInfo(upload).fileName(), "AI_Input_Upload.jpg");
    tagging::writeUploadImage(upload, *jpeg);
    EXPECT_EQ(readAll(upload), *jpeg);
    EXPECT_EQ(QFileInfo(upload).absolutePath(), tagging::temporaryFolder());
    struct stat folder {};
    ASSERT_EQ(::lstat(QFile::encodeName(tagging::temporaryFolder()).constData(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_EQ(readAll(victim), "the user's own picture");

    // The private folder's place taken by a link to the user's folder: refused, and nothing in
    // the folder it leads to is written or deleted.
    tagging::deleteUploadImage(upload);
    ASSERT_TRUE(QDir(tagging::temporaryFolder()).removeRecursively());
    ASSERT_TRUE(QFile::link(own, tagging::temporaryFolder()));
    try {
        tagging::writeUploadImage(upload, *jpeg);
        ADD_FAILURE() << "written through the link";
    } catch (const errors::Error& e) {
        EXPECT_EQ(e.message(), "Unable to use the folder " + tagging::temporaryFolder() +
                                   ": it is a symbolic link");
    }
    tagging::deleteUploadImage(upload);
    EXPECT_EQ(readAll(victim), "the user's own picture");
}

}  // namespace
