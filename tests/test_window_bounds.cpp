#include <gtest/gtest.h>

#include <QRect>
#include <QWidget>
#include <limits>

#include "platform/widgets/outer_bounds.h"
#include "tests/support/qt_print.h"

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

// Two screens side by side, the second one higher and smaller, with a panel at the top of the
// first: what stored bounds become with a minimum of 1067 x 725.
TEST(FitOnScreens, KeepsWhatIsReachableAndTakesTheRestOntoAScreen) {
    const QList<QRect> screens = {QRect(0, 30, 1920, 1050), QRect(1920, -200, 1280, 1024)};
    const struct {
        const char* name;
        StoredBounds stored;
        QRect fitted;
    } cases[] = {
        {"on the first screen", {40, 50, 1100, 780}, QRect(40, 50, 1100, 780)},
        {"on the second screen", {2000, 0, 1100, 780}, QRect(2000, 0, 1100, 780)},
        {"across both, title bar on both", {1500, 100, 1100, 780}, QRect(1500, 100, 1100, 780)},
        {"title bar above the first, below the second's top",
         {100, 0, 1100, 780},
         QRect(100, 30, 1100, 780)},
        {"below the minimum", {40, 50, 10, 10}, QRect(40, 50, 1067, 725)},
        {"larger than the second screen it is on",
         {1920, -200, 3000, 3000},
         QRect(1920, -200, 1280, 1024)},
        {"title bar over both screens' corners",
         {1900, 500, 1100, 780},
         QRect(1900, 500, 1100, 780)},
        {"only 50 pixels of the title bar on a screen",
         {-1050, 500, 1100, 780},
         QRect(0, 300, 1100, 780)},
        {"far away", {100000, 100000, 1100, 780}, QRect(820, 300, 1100, 780)},
        {"64-bit extremes", {kMin, kMax, kMax, kMin}, QRect(0, 355, 1920, 725)},
        {"32-bit extremes",
         {std::numeric_limits<int>::max(), std::numeric_limits<int>::min(),
          std::numeric_limits<int>::max(), std::numeric_limits<int>::max()},
         QRect(0, 30, 1920, 1050)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitOnScreens(c.stored, QSize(1067, 725), screens), c.fitted) << c.name;
}

TEST(FitOnScreens, WithoutScreensOnlyTheSizeLimitsApply) {
    EXPECT_EQ(fitOnScreens({5, 6, 10, 10}, QSize(100, 50), {}), QRect(5, 6, 100, 50));
    const QRect huge = fitOnScreens({kMax, kMin, kMax, kMax}, QSize(100, 50), {});
    EXPECT_EQ(huge, QRect(QWIDGETSIZE_MAX, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

}  // namespace
