#include <gtest/gtest.h>

#include "misc.h"
#include "test_support.h"
#include "xdirs.h"

namespace {

class CreateDirsTest : public ::testing::Test {
protected:
    void TearDown() override { ClearError(); }
    ScratchDirectory scratch;
};

TEST_F(CreateDirsTest, CreatesEveryMissingLevel) {
    std::string before = CurrentDirectory();
    EXPECT_EQ(xCreateDirsForFile("ScrShots/qv.bmp"), 1);
    EXPECT_TRUE(DirectoryExists("ScrShots"));
    EXPECT_EQ(xCreateDirsForFile("a/b/c/file.txt"), 1);
    EXPECT_TRUE(DirectoryExists("a/b/c"));
    EXPECT_EQ(CurrentDirectory(), before);
    // Levels that already exist are fine.
    EXPECT_EQ(xCreateDirsForFile("a/b/c/other.txt"), 1);
}

TEST_F(CreateDirsTest, DoubledMixedAndLeadingSeparators) {
    std::string before = CurrentDirectory();
    EXPECT_EQ(xCreateDirsForFile("x\\/\\y//z.bin"), 1);
    EXPECT_TRUE(DirectoryExists("x/y"));
    EXPECT_EQ(CurrentDirectory(), before);
}

TEST_F(CreateDirsTest, APathWithARootMakesItsLevelsBelowThatRoot) {
    // As the user's own folder is named: from its drive or the root, not from the
    // working directory.
    const std::string before = CurrentDirectory();
    EXPECT_EQ(xCreateDirsForFile((scratch.Path() + "/own\\ScrShots/qv.bmp").c_str()), 1);
    EXPECT_TRUE(DirectoryExists(scratch.Path() + "/own/ScrShots"));
    // Nothing below the working directory: the path's first level is not there.
    const std::string path = scratch.Path();
    const size_t start = path[1] == ':' ? 3 : 1;
    EXPECT_FALSE(DirectoryExists(path.substr(start, path.find_first_of("/\\", start) - start)));
    EXPECT_EQ(CurrentDirectory(), before);
}

TEST_F(CreateDirsTest, BareFileNameCreatesNothing) {
    EXPECT_EQ(xCreateDirsForFile("file.txt"), 1);
    EXPECT_EQ(GetErrorCode(), 0);
}

TEST_F(CreateDirsTest, LevelTakenByAFileFails) {
    std::string before = CurrentDirectory();
    WriteWholeFile("taken", "x");
    EXPECT_EQ(xCreateDirsForFile("taken/inner/f.txt"), 0);
    char message[ERROR_MESSAGE_SIZE];
    ASSERT_TRUE(GetErrorMessage(message));
    EXPECT_EQ(std::string(message).rfind("Unable to create dir taken/inner/. Errorcode: ", 0), 0u)
        << message;
    EXPECT_EQ(CurrentDirectory(), before);
}

}  // namespace
