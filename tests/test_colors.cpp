#include <gtest/gtest.h>

#include "platform/skin/readable_text.h"

namespace {

TEST(ReadableText, WhiteOnDarkColoursAndBlackOnLightOnes) {
    const struct {
        QColor background;
        QColor text;
    } cases[] = {
        {QColor(0, 0, 0), Qt::white},
        {QColor(255, 255, 255), Qt::black},
        {QColor(206, 223, 214), Qt::black},  // the grid's own row colour
        {QColor(0, 0, 128), Qt::white},
        {QColor(0, 0, 255), Qt::white},  // pure blue is dark for the eye
        {QColor(255, 0, 0), Qt::black},
        {QColor(0, 255, 0), Qt::black},
        {QColor(139, 0, 0), Qt::white},
        {QColor(100, 100, 100), Qt::white},
        {QColor(128, 128, 128), Qt::black},
        // Either side of the point where both contrast equally (grey 117 and 118).
        {QColor(117, 117, 117), Qt::white},
        {QColor(118, 118, 118), Qt::black},
        {QColor::fromHsv(200, 255, 60), Qt::white},  // any colour model
    };
    for (const auto& c : cases)
        EXPECT_EQ(skin::readableTextOn(c.background), c.text) << c.background.name().toStdString();
}

}  // namespace
