#include <gtest/gtest.h>

#include "platform/dialogs/dialogs.h"
#include "tests/support/qt_print.h"

namespace {

TEST(FileFilters, PatternsShowOnceAfterTheirDescription) {
    struct Case {
        const char* filter;
        const char* qt;
    } cases[] = {
        {"Database|*.db", "Database (*.db)"},
        {"RTF File|*.rtf|All|*.*", "RTF File (*.rtf);;All (*.*)"},
        {"All (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png", "All (*.jpg *.jpeg);;PNG (*.png)"},
        // Parentheses that name something else stay in the description.
        {"Backup (zip archive)|*.zip", "Backup (zip archive) (*.zip)"},
    };
    for (const Case& c : cases) EXPECT_EQ(dialogs::toQtFilter(c.filter), c.qt) << c.filter;
}

}  // namespace
