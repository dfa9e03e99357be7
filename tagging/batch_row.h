#pragma once

#include <QString>

// One row of the tagger's batch grid: an image and the texts proposed for it. A cell that
// was never written is empty.
struct BatchRow {
    QString fileName{};  // the image's full path
    QString title{};
    QString description{};
    QString keywords{};       // a keyword list, ", " between the keywords
    QString adobeCategory{};  // category names as the boxes list them
    QString shutterPrimary{};
    QString shutterSecondary{};
};
