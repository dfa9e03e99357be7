#include "platform/skin/readable_text.h"

#include <cmath>

namespace skin {
namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

}  // namespace

QColor readableTextOn(const QColor& background) {
    // Contrast with white, (1 + 0.05) / (L + 0.05), and with black, (L + 0.05) / 0.05, are
    // equal at L = sqrt(1.05 * 0.05) - 0.05.
    const double threshold = std::sqrt(1.05 * 0.05) - 0.05;
    const QColor rgb = background.toRgb();
    const double luminance =
        0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
    return luminance < threshold ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace skin
