#include "platform/image/resample.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/errors/errors.h"

namespace image {

double catmullRom(double x) {
    x = std::abs(x);
    if (x < 1) return (1.5 * x - 2.5) * x * x + 1;
    if (x < 2) return ((-0.5 * x + 2.5) * x - 4) * x + 2;
    return 0;
}

namespace {

// The weights of one axis: for output position i, count[i] weights for the source pixels
// from first[i] on, stored from i * taps.
struct Filter {
    int taps = 0;
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights;
};

// Output pixel i is centred at (i + 0.5) * scale in source coordinates, where source pixel
// j spans [j, j + 1). Source pixels outside the picture are left out and the remaining
// weights renormalised, so the edges keep their brightness.
Filter makeFilter(int outLength, int inLength, double extent) {
    const double scale = extent / outLength;
    const double stretch = std::max(1.0, scale);
    const double support = 2.0 * stretch;
    Filter f;
    f.taps = 2 * int(std::ceil(support)) + 1;
    f.first.resize(outLength);
    f.count.resize(outLength);
    f.weights.assign(size_t(outLength) * f.taps, 0.f);
    std::vector<double> w(f.taps);
    for (int i = 0; i < outLength; ++i) {
        const double center = (i + 0.5) * scale;
        const int lo = std::max(0, int(std::floor(center - support - 0.5)) + 1);
        const int hi = std::min(inLength, int(std::ceil(center + support - 0.5)));
        const int n = std::max(1, std::min(f.taps, hi - lo));
        double sum = 0;
        for (int k = 0; k < n; ++k) {
            w[k] = catmullRom((lo + k + 0.5 - center) / stretch);
            sum += w[k];
        }
        f.first[i] = std::min(lo, inLength - 1);
        f.count[i] = n;
        float* out = f.weights.data() + size_t(i) * f.taps;
        for (int k = 0; k < n; ++k) out[k] = sum != 0 ? float(w[k] / sum) : (k == 0 ? 1.f : 0.f);
    }
    return f;
}

inline unsigned char toByte(float v) {
    return static_cast<unsigned char>(std::clamp(v, 0.f, 255.f) + 0.5f);
}

// Vertical pass of one output row: the weighted sum of count source rows of n bytes.
void filterColumns(const unsigned char* const* rows, const float* weights, int count, int n,
                   float* acc) {
    {
        const unsigned char* r = rows[0];
        const float w = weights[0];
        for (int i = 0; i < n; ++i) acc[i] = w * float(r[i]);
    }
    int k = 1;
    for (; k + 1 < count; k += 2) {
        const unsigned char* r0 = rows[k];
        const unsigned char* r1 = rows[k + 1];
        const float w0 = weights[k];
        const float w1 = weights[k + 1];
        for (int i = 0; i < n; ++i) acc[i] += w0 * float(r0[i]) + w1 * float(r1[i]);
    }
    if (k < count) {
        const unsigned char* r = rows[k];
        const float w = weights[k];
        for (int i = 0; i < n; ++i) acc[i] += w * float(r[i]);
    }
}

// Horizontal pass of one row of RGB floats into bytes.
void filterRow(const float* acc, const Filter& f, int outWidth, unsigned char* out) {
    for (int x = 0; x < outWidth; ++x) {
        const float* w = f.weights.data() + size_t(x) * f.taps;
        const float* p = acc + size_t(f.first[x]) * 3;
        float r = 0, g = 0, b = 0;
        for (int k = 0, n = f.count[x]; k < n; ++k, p += 3) {
            r += w[k] * p[0];
            g += w[k] * p[1];
            b += w[k] * p[2];
        }
        out[0] = toByte(r);
        out[1] = toByte(g);
        out[2] = toByte(b);
        out += 3;
    }
}

}  // namespace

namespace {
thread_local int t_threadLimit = 0;
}  // namespace

void limitResampleThreadsOfThisThread(int threads) {
    t_threadLimit = std::max(0, threads);
}

QImage resampleCubic(const QImage& source, QSize size, QSizeF extent) {
    const QImage src = source.format() == QImage::Format_RGB888
                           ? source
                           : source.convertToFormat(QImage::Format_RGB888);
    if (extent.isEmpty()) extent = QSizeF(src.size());
    if (size == src.size() && extent == QSizeF(src.size())) return src;
    QImage dst(size, QImage::Format_RGB888);
    if (dst.isNull() || src.isNull())
        throw errors::Error(QStringLiteral("Not enough memory to scale a picture to %1 x %2 pixels")
                                .arg(size.width())
                                .arg(size.height()));

    const Filter horizontal = makeFilter(size.width(), src.width(), extent.width());
    const Filter vertical = makeFilter(size.height(), src.height(), extent.height());
    const int rowLength = src.width() * 3;

    // Row bands for the threads: about a million multiply-adds each at the least.
    const double work = double(rowLength) * size.height() * vertical.taps +
                        double(size.width()) * 3 * size.height() * horizontal.taps;
    const int hardware =
        t_threadLimit > 0 ? t_threadLimit : int(std::max(1u, std::thread::hardware_concurrency()));
    const int bands = std::clamp(int(work / 1e6), 1, std::min({hardware, 8, size.height()}));
    // Everything the threads use is allocated here, before they start.
    std::vector<std::vector<float>> buffers(bands, std::vector<float>(rowLength));
    std::vector<std::vector<const unsigned char*>> rowLists(
        bands, std::vector<const unsigned char*>(vertical.taps));
    const unsigned char* const srcBits = src.constBits();
    const qsizetype srcStride = src.bytesPerLine();
    unsigned char* const dstBits = dst.bits();
    const qsizetype dstStride = dst.bytesPerLine();

    auto run = [&](int band) {
        const int y0 = int(qint64(size.height()) * band / bands);
        const int y1 = int(qint64(size.height()) * (band + 1) / bands);
        float* acc = buffers[band].data();
        const unsigned char** rows = rowLists[band].data();
        for (int y = y0; y < y1; ++y) {
            const int first = vertical.first[y];
            const int count = vertical.count[y];
            for (int k = 0; k < count; ++k) rows[k] = srcBits + (first + k) * srcStride;
            filterColumns(rows, vertical.weights.data() + size_t(y) * vertical.taps, count,
                          rowLength, acc);
            filterRow(acc, horizontal, size.width(), dstBits + y * dstStride);
        }
    };
    std::vector<std::thread> workers;
    for (int band = 1; band < bands; ++band) {
        try {
            workers.emplace_back(run, band);
        } catch (const std::system_error&) {
            run(band);  // no thread to be had: this one does the band
        }
    }
    run(0);
    for (std::thread& t : workers) t.join();
    return dst;
}

}  // namespace image
