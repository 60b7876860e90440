// The built Novadrift.scr as the Windows loader reads it: address space layout
// randomisation (with the relocations it needs) and data execution prevention are on,
// every imported library is one of the system's own (the stack protector's and the C++
// runtime's code is linked in, no libssp or libgcc DLL comes along), and the manifest
// asks for the user's own rights, per-monitor display scaling, the system's look of the
// dialogs' controls and the behaviour of Windows 7 to 11.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <string>

#include "scr_driver.h"

namespace {

uint32_t Little(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | (at + size_t(i) < bytes.size() ? uint8_t(bytes[at + size_t(i)]) : 0);
    return value;
}

TEST(ScrHardening, AslrAndDepAreOnAndEveryImportIsASystemLibrary) {
    const std::string program = TestProgramDirectory() + "Novadrift.scr";
    const std::string image = ReadFileText(program);
    ASSERT_GT(image.size(), 4096u);
    ASSERT_EQ(image.substr(0, 2), "MZ");
    const size_t header = Little(image, 0x3C, 4);
    ASSERT_EQ(image.substr(header, 4), std::string("PE\0\0", 4));
    const size_t fileHeader = header + 4, optional = fileHeader + 20;
    ASSERT_EQ(Little(image, optional, 2), 0x10Bu) << "a 32-bit image";
    EXPECT_EQ(Little(image, fileHeader + 18, 2) & IMAGE_FILE_RELOCS_STRIPPED, 0u);
    const uint32_t dllCharacteristics = Little(image, optional + 70, 2);
    EXPECT_NE(dllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, 0u);
    EXPECT_NE(dllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT, 0u);
    const size_t directories = optional + 96;
    EXPECT_GT(Little(image, directories + 8 * IMAGE_DIRECTORY_ENTRY_BASERELOC + 4, 4), 0u)
        << "relocations, without which the image cannot move";

    // Addresses in the image to places in the file, through the section table.
    const size_t sections = optional + Little(image, fileHeader + 16, 2);
    const uint32_t sectionCount = Little(image, fileHeader + 2, 2);
    auto place = [&](uint32_t address) -> size_t {
        for (uint32_t s = 0; s < sectionCount; ++s) {
            const size_t entry = sections + 40 * size_t(s);
            const uint32_t start = Little(image, entry + 12, 4);
            const uint32_t size = Little(image, entry + 16, 4);
            if (address >= start && address < start + size)
                return Little(image, entry + 20, 4) + (address - start);
        }
        return image.size();
    };
    std::set<std::string> imported;
    const uint32_t imports = Little(image, directories + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT, 4);
    for (size_t entry = place(imports); entry + 20 <= image.size(); entry += 20) {
        const uint32_t name = Little(image, entry + 12, 4);
        if (name == 0) break;
        const size_t at = place(name);
        std::string library = at < image.size() ? image.c_str() + at : "?";
        std::transform(library.begin(), library.end(), library.begin(),
                       [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); });
        imported.insert(library);
    }
    EXPECT_EQ(imported.count("kernel32.dll"), 1u) << "the import table was read";
    // Only known DLLs, which Windows always takes from the system folder (a library that
    // is not one, beside a portable copy, would be loaded before the program runs): the
    // system libraries the program has always used, and ole32.dll for the memory of the
    // user's known folder's path.
    const std::set<std::string> system = {"advapi32.dll", "gdi32.dll",   "kernel32.dll",
                                          "msvcrt.dll",   "ole32.dll",   "shell32.dll",
                                          "user32.dll"};
    for (const std::string& library : imported) EXPECT_EQ(system.count(library), 1u) << library;

    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr) << "no manifest";
    const char* manifest = static_cast<const char*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(manifest, nullptr);
    const std::string text(manifest, SizeofResource(module, found));
    FreeLibrary(module);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
    // Each entry inside the element that holds it, with the namespace Windows reads it in.
    auto element = [&text](const std::string& name, const std::string& namespaceUri) {
        const std::regex pattern("<" + name + "\\s+xmlns=\"" + namespaceUri +
                                 "\"\\s*>\\s*([^<]*)</" + name + ">");
        std::smatch match;
        return std::regex_search(text, match, pattern) ? match[1].str() : std::string("(none)");
    };
    EXPECT_EQ(element("dpiAwareness", "http://schemas.microsoft.com/SMI/2016/WindowsSettings"),
              "PerMonitorV2, PerMonitor");
    EXPECT_EQ(element("dpiAware", "http://schemas.microsoft.com/SMI/2005/WindowsSettings"),
              "true/pm");
    EXPECT_TRUE(std::regex_search(
        text, std::regex("<assemblyIdentity\\s+type=\"win32\"\\s+name=\"Microsoft\\.Windows\\."
                         "Common-Controls\"\\s+version=\"6\\.0\\.0\\.0\"[^>]*publicKeyToken="
                         "\"6595b64144ccf1df\"")))
        << "Common Controls 6";
    // Windows 7, 8, 8.1 and 10/11.
    EXPECT_NE(text.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">"),
              std::string::npos);
    for (const char* id :
         {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
          "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(text.find("<supportedOS Id=\"{" + std::string(id) + "}\"/>"), std::string::npos)
            << id;
}

}  // namespace
