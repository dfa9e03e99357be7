#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/sql/sql.h"

TEST(Sql, Placeholder) { SUCCEED(); }
