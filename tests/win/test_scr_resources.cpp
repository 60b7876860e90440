// The resources of the built Novadrift.scr as Windows reads them: the name the screen
// saver list shows, the version, and the icon in its three sizes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "scr_driver.h"
#include "version.h"

namespace {

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ScrResources, NameVersionAndIconAreThere) {
    std::string program = TestProgramDirectory() + "Novadrift.scr";
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    char name[64] = {};
    EXPECT_EQ(LoadStringA(module, 1, name, sizeof name), 9);
    EXPECT_STREQ(name, "Novadrift");

    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(100), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(group, nullptr);
    WORD count = *reinterpret_cast<const WORD*>(group + 4);
    ASSERT_EQ(count, 3);
    const IconGroupEntry* entries = reinterpret_cast<const IconGroupEntry*>(group + 6);
    std::string sizes;
    for (int i = 0; i < count; ++i)
        sizes += std::to_string(entries[i].width) + "x" + std::to_string(entries[i].height) + "x" +
                 std::to_string(entries[i].bits) + " ";
    EXPECT_EQ(sizes, "16x16x32 32x32x32 48x48x32 ");
    FreeLibrary(module);

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(program.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string info(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, &info[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(&info[0], "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS,
              DWORD(NOVADRIFT_VERSION_MAJOR) << 16 | DWORD(NOVADRIFT_VERSION_MINOR));
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD(NOVADRIFT_VERSION_PATCH) << 16);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    for (const char* field : {"ProductVersion", "FileVersion"}) {
        char* text = nullptr;
        std::string path = std::string("\\StringFileInfo\\040904B0\\") + field;
        ASSERT_TRUE(
            VerQueryValueA(&info[0], path.c_str(), reinterpret_cast<void**>(&text), &length))
            << field;
        EXPECT_STREQ(text, NOVADRIFT_VERSION_TEXT) << field;
    }
    char* product = nullptr;
    ASSERT_TRUE(VerQueryValueA(&info[0], "\\StringFileInfo\\040904B0\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, "Novadrift");
}

}  // namespace
