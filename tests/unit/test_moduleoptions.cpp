// The XScreenSaver module's command line: which window it draws on, the options its
// description novadrift.xml passes, and what it refuses.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "posix/moduleoptions.h"
#include "posix/xwindow_posix.h"

namespace {

int Parse(std::vector<std::string> words, ModuleOptions* options, const char* saverWindow = nullptr,
          std::string* error = nullptr) {
    words.insert(words.begin(), "novadrift");
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    std::string ignored;
    return ParseModuleOptions(int(argv.size()), argv.data(), saverWindow, "/home/me", options,
                              error ? error : &ignored);
}

TEST(ModuleOptions, TheWindowIsTheGivenOneElseTheDaemonsElseTheRootElseItsOwn) {
    ModuleOptions options;
    ASSERT_EQ(Parse({}, &options), MODULE_RUN);
    EXPECT_EQ(options.target, X_TARGET_OWN_WINDOW);
    EXPECT_EQ(options.starCount, -1);
    EXPECT_EQ(options.speed, 1.0f);
    EXPECT_EQ(options.showFrameRate, 0);
    EXPECT_EQ(options.delay, 20000);
    ASSERT_EQ(Parse({"-root"}, &options), MODULE_RUN);
    EXPECT_EQ(options.target, X_TARGET_ROOT);
    // The daemon runs its modules with --root and names its window in the variable.
    ASSERT_EQ(Parse({"--root"}, &options, "0x2A"), MODULE_RUN);
    EXPECT_EQ(options.target, X_TARGET_WINDOW);
    EXPECT_EQ(options.window, 42u);
    ASSERT_EQ(Parse({"-root"}, &options, ""), MODULE_RUN);
    EXPECT_EQ(options.target, X_TARGET_ROOT);
    ASSERT_EQ(Parse({"-root", "-window-id", "123"}, &options, "0x2a"), MODULE_RUN);
    EXPECT_EQ(options.target, X_TARGET_WINDOW);
    EXPECT_EQ(options.window, 123u);
    ASSERT_EQ(Parse({"--window-id", "0XfFfFfFfF"}, &options), MODULE_RUN);
    EXPECT_EQ(options.window, 0xFFFFFFFFu);
    // A leading zero is a decimal digit, not octal's mark.
    ASSERT_EQ(Parse({"-window-id", "0100"}, &options), MODULE_RUN);
    EXPECT_EQ(options.window, 100u);
}

TEST(ModuleOptions, ValuesAndARelativeBackgroundFromWhereItStarted) {
    ModuleOptions options;
    ASSERT_EQ(Parse({"-fps", "-stars", "0", "--speed", "2.5", "-background", "bg/mine.qvb",
                     "-display", ":7", "-delay", "40000"},
                    &options),
              MODULE_RUN);
    EXPECT_EQ(options.showFrameRate, 1);
    EXPECT_EQ(options.starCount, 0);
    EXPECT_EQ(options.speed, 2.5f);
    EXPECT_EQ(options.background, "/home/me/bg/mine.qvb");
    EXPECT_EQ(options.display, ":7");
    EXPECT_EQ(options.delay, 40000);
    ASSERT_EQ(
        Parse({"-stars", "100000", "-background", "/srv/b.qvb", "-speed", "0.01", "--delay", "0"},
              &options),
        MODULE_RUN);
    EXPECT_EQ(options.delay, 0);
    EXPECT_EQ(options.starCount, 100000);
    EXPECT_EQ(options.background, "/srv/b.qvb");
    EXPECT_EQ(options.speed, 0.01f);
    EXPECT_EQ(Parse({"-stars", "5", "--help", "-bogus"}, &options), MODULE_HELP);
    EXPECT_NE(std::string(kModuleUsage).find("-window-id ID"), std::string::npos);
}

TEST(ModuleOptions, BadValuesUnknownOptionsAndABadVariableAreRefusedWithTheReason) {
    const std::vector<std::vector<std::string>> refused = {{"-window-id", "12abc"},
                                                           {"-window-id", "0x"},
                                                           {"-window-id", "0"},
                                                           {"-window-id", "-5"},
                                                           {"-window-id", "4294967296"},
                                                           {"-stars", "-1"},
                                                           {"-stars", "100001"},
                                                           {"-stars", "5x"},
                                                           {"-stars", ""},
                                                           {"-speed", "0"},
                                                           {"-speed", "nan"},
                                                           {"-speed", "inf"},
                                                           {"-speed", "101"},
                                                           {"-delay", "-1"},
                                                           {"-delay", "10000001"},
                                                           {"-delay", "2e4"},
                                                           {"-bogus"},
                                                           {"root"},
                                                           {"-stars"},
                                                           {"-background", std::string(400, 'b')}};
    for (const std::vector<std::string>& words : refused) {
        ModuleOptions options;
        std::string error;
        EXPECT_EQ(Parse(words, &options, nullptr, &error), MODULE_BAD) << words[0];
        EXPECT_NE(error.find(words[0] == "root" ? "unknown option" : words[0].c_str()),
                  std::string::npos)
            << error;
    }
    ModuleOptions options;
    std::string error;
    EXPECT_EQ(Parse({"-root"}, &options, "window", &error), MODULE_BAD);
    EXPECT_NE(error.find("XSCREENSAVER_WINDOW"), std::string::npos);
}

// Every option of the module description, at its slider's ends and default, is one the
// module takes, and reaches the field it names.
TEST(ModuleOptions, EveryOptionOfTheModuleDescriptionIsTaken) {
    std::ifstream file(NOVADRIFT_DATA_DIR "/../linux/novadrift.xml");
    std::stringstream text;
    text << file.rdbuf();
    const std::string xml = text.str();
    ASSERT_NE(xml.find("<screensaver name=\"novadrift\""), std::string::npos);
    auto attribute = [](const std::string& element, const char* name) {
        std::smatch found;
        const std::regex pattern(std::string("\\s") + name + "=\"([^\"]*)\"");
        return std::regex_search(element, found, pattern) ? found[1].str() : std::string();
    };
    const std::regex elementPattern("<(command|number|file|boolean)\\b[^>]*>");
    int options = 0;
    for (std::sregex_iterator it(xml.begin(), xml.end(), elementPattern), end; it != end; ++it) {
        const std::string element = it->str();
        const std::string kind = (*it)[1].str();
        std::vector<std::string> values = {""};
        if (kind == "number")
            values = {attribute(element, "low"), attribute(element, "high"),
                      attribute(element, "default")};
        if (kind == "file") values = {"/home/me/.config/novadrift/BGround.qvb"};
        for (const char* argName : {"arg", "arg-set", "arg-unset"}) {
            const std::string arg = attribute(element, argName);
            if (arg.empty()) continue;
            ++options;
            for (const std::string& value : values) {
                std::vector<std::string> words;
                std::istringstream split(std::regex_replace(arg, std::regex("%"), value));
                for (std::string word; split >> word;) words.push_back(word);
                ModuleOptions parsed;
                std::string error;
                ASSERT_EQ(Parse(words, &parsed, nullptr, &error), MODULE_RUN)
                    << arg << ": " << error;
                const std::string id = attribute(element, "id");
                if (id == "stars") {
                    EXPECT_EQ(parsed.starCount, std::stoi(value));
                } else if (id == "speed") {
                    EXPECT_EQ(parsed.speed, std::stof(value));
                } else if (id == "background") {
                    EXPECT_EQ(parsed.background, value);
                } else if (id == "delay") {
                    EXPECT_EQ(parsed.delay, std::stoi(value));
                } else if (id == "showfps") {
                    EXPECT_EQ(parsed.showFrameRate, 1);
                } else {
                    ASSERT_EQ(kind, "command") << element;
                    EXPECT_EQ(parsed.target, X_TARGET_ROOT);
                }
            }
        }
    }
    // --root, stars, speed, the frame rate's slider, the background file and showing the
    // frame rate.
    EXPECT_EQ(options, 6);
}

}  // namespace
#endif
