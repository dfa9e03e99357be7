#pragma once

#include <QFont>
#include <algorithm>
#include <cmath>

namespace rtf {

// RTF counts font sizes in half-points; the edits' fonts may be given in pixels, at
// 96 pixels per inch.
inline double pointsOf(const QFont& font) {
    if (font.pointSizeF() > 0) return font.pointSizeF();
    if (font.pixelSize() > 0) return font.pixelSize() * 0.75;
    return 12.0;
}

inline int halfPointsOf(double points) {
    return std::max(1, int(std::lround(points * 2)));
}

}  // namespace rtf
