#include <gtest/gtest.h>

#include <cstring>

#include "startup.h"

namespace {

std::vector<std::string> Split(const char* text, int32_t* slots = nullptr) {
    CommandWords words = SplitCommandLine(text);
    std::vector<std::string> result;
    for (int32_t i = 0; i < words.count; ++i) result.push_back(words.words[i]);
    // Every slot after the words is null.
    size_t length = text ? std::strlen(text) : 0;
    for (size_t i = size_t(words.count); i <= length; ++i) EXPECT_EQ(words.words[i], nullptr);
    if (slots) *slots = int32_t(length + 1);
    FreeCommandWords(&words);
    return result;
}

TEST(SplitCommandLine, EmptyTextHasOneNullSlot) {
    int32_t slots = 0;
    EXPECT_TRUE(Split("", &slots).empty());
    EXPECT_EQ(slots, 1);
    EXPECT_TRUE(Split(nullptr).empty());
    EXPECT_TRUE(Split("     ").empty());
}

TEST(SplitCommandLine, OnlySpacesSeparate) {
    EXPECT_EQ(Split("  /c   123 "), (std::vector<std::string>{"/c", "123"}));
    EXPECT_EQ(Split("/s"), (std::vector<std::string>{"/s"}));
    EXPECT_EQ(Split("a\tb c"), (std::vector<std::string>{"a\tb", "c"}));
    EXPECT_EQ(Split("\"C:\\My Files\\x\" /p"),
              (std::vector<std::string>{"\"C:\\My", "Files\\x\"", "/p"}));
}

}  // namespace
