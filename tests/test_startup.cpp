#include "tests/support/program_fixture.h"

#include "app/form1.h"

TEST_F(ProgramFixture, StartsWithAnExistingDatabase) {
    makeDatabase("DB/KeywordsDB.db", {{"Nature", "Sunset", "sun", "x"}});
    startProgram();
    EXPECT_EQ(Form1->windowTitle(), "Pixolet");
}
