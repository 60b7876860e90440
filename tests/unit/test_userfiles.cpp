// Where the user's own files go: beside a portable copy the user may write to, else in
// the user's own folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "misc.h"
#include "test_support.h"
#include "userfiles.h"

namespace {

int NotWritable(const char*) {
    return 0;
}

TEST(UserFiles, BesideAWritablePortableCopyElseInTheUsersOwnFolder) {
    ScratchDirectory scratch;
    ScratchLog log(scratch.Path());
    const std::string beside = scratch.Path() + "/", own = scratch.Path() + "/own/";
    ASSERT_EQ(Platform().createDirectory(own.c_str()), 1);
    log.SetUserDirectory(own);
    // No gui.cfg beside the program, as for the installed one: the user's own folder,
    // which the log goes to from its first line.
    LogMessage(LOG_INIT, "first\n");
    EXPECT_EQ(UserFileDirectory(), own);
    EXPECT_EQ(std::string(LogFilePath()), own + "Novadrift.log");
    EXPECT_NE(ReadTextFile(own + "Novadrift.log").find(" : INIT : first\n"), std::string::npos);

    // gui.cfg beside it, in a folder the user may write: every file beside the program.
    WriteWholeFile("gui.cfg", "");
    log.SetUserDirectory(own);
    char path[300];
    ASSERT_EQ(UserFilePath("novadrift.cfg", path, sizeof path), 1);
    EXPECT_EQ(std::string(path), beside + "novadrift.cfg");
    // A name that does not fit gives no path rather than a cut one.
    EXPECT_EQ(UserFilePath(std::string(300, 'n').c_str(), path, sizeof path), 0);
    EXPECT_STREQ(path, "");

    // The same copy where the user may not write: the user's own folder.
    Platform().isDirectoryWritable = NotWritable;
    log.SetUserDirectory(own);
    EXPECT_EQ(UserFileDirectory(), own);
    // And without a folder of the user's, beside the program after all.
    log.SetUserDirectory("");
    EXPECT_EQ(UserFileDirectory(), beside);
    Platform().isDirectoryWritable = NativePlatform().isDirectoryWritable;
}

#ifndef _WIN32
// Restores an environment variable when it goes.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name(name) {
        const char* value = std::getenv(name);
        if (value) saved = value;
        wasSet = value != nullptr;
    }
    ~SavedVariable() {
        if (wasSet)
            setenv(name, saved.c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    std::string saved;
    bool wasSet;
};

TEST(UserFiles, ThePosixFolderIsTheXdgConfigFolderElseTheOneInHome) {
    ScratchDirectory scratch;
    SavedVariable xdg("XDG_CONFIG_HOME"), home("HOME");
    char folder[300];
    // Every missing level is made.
    setenv("XDG_CONFIG_HOME", (scratch.Path() + "/xdg/config").c_str(), 1);
    ASSERT_EQ(NativePlatform().userDirectory(folder, sizeof folder), 1);
    EXPECT_EQ(std::string(folder), scratch.Path() + "/xdg/config/novadrift/");
    EXPECT_TRUE(DirectoryExists(folder));
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", (scratch.Path() + "/home").c_str(), 1);
    ASSERT_EQ(NativePlatform().userDirectory(folder, sizeof folder), 1);
    EXPECT_EQ(std::string(folder), scratch.Path() + "/home/.config/novadrift/");
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_FALSE(DirectoryExists("relative"));
    // A folder whose path does not fit, or that a file stands in for, is none.
    EXPECT_EQ(NativePlatform().userDirectory(folder, 10), 0);
    WriteWholeFile(scratch.Path() + "/file", "");
    setenv("XDG_CONFIG_HOME", (scratch.Path() + "/file").c_str(), 1);
    EXPECT_EQ(NativePlatform().userDirectory(folder, sizeof folder), 0);
}
#endif

}  // namespace
