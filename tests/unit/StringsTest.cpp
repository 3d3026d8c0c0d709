// The string table as the program reads it (code page 932 under the test locale).
#include <gtest/gtest.h>
#include <windows.h>

#include "res/resource.h"
#include "win/ResourceString.h"

TEST(Strings, RunsUnderCodePage932) { EXPECT_EQ(GetACP(), 932u); }

TEST(Strings, ProgramNameAndAlreadyRunningBytes) {
    EXPECT_EQ(win::LoadResourceString(IDS_PROGRAM_NAME), "Quillora");
    const std::string text = win::LoadResourceString(IDS_ALREADY_RUNNING);
    ASSERT_EQ(text.size(), 32u);
    EXPECT_EQ(text, "Quillora\x82\xcd\x82\xb7\x82\xc5\x82\xc9\x8b\x4e\x93\xae\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42");
}

TEST(Strings, IdsWithoutTextAreEmpty) {
    EXPECT_EQ(win::LoadResourceString(110), "");
    EXPECT_EQ(win::LoadResourceString(152), "");
}

TEST(Strings, TableIsCompleteFrom111To151) {
    for (unsigned id = 111; id <= 151; ++id) EXPECT_FALSE(win::LoadResourceString(id).empty()) << id;
}

TEST(Strings, InvalidRuleMessageNamesTheRuleInQuotesOnTheFirstOfTwoLines) {
    // "正規表現" in code page 932.
    const std::string regex = "\x90\xb3\x8b\x4b\x95\x5c\x8c\xbb";
    ASSERT_EQ(win::LoadResourceString(IDS_MATCH_REGEX), regex);
    const std::string text = win::FormatResourceString(IDS_INVALID_RULE, regex.c_str());
    const auto lineEnd = text.find("\r\n");
    ASSERT_NE(lineEnd, std::string::npos);
    EXPECT_EQ(text.find("\r\n", lineEnd + 2), std::string::npos) << "more than two lines";
    const std::string first = text.substr(0, lineEnd);
    // 不正なルール"正規表現"を検知しました。
    EXPECT_EQ(first, "\x95\x73\x90\xb3\x82\xc8\x83\x8b\x81\x5b\x83\x8b\"" + regex +
                         "\"\x82\xf0\x8c\x9f\x92\x6d\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42");
}

TEST(Strings, TransparencyLabelPrintsOnePercentSign) {
    // 透過率: 50%
    EXPECT_EQ(win::FormatResourceString(IDS_TRANSPARENCY_LABEL, 50), "\x93\xa7\x89\xdf\x97\xa6: 50%");
}

TEST(Strings, AboutTextIsTwoLinesWithAnEmptyLineBetween) {
    const std::string text = win::LoadResourceString(IDS_ABOUT_TEXT);
    EXPECT_EQ(text.rfind("Quillora Version 1.2.3\r\n\r\n", 0), 0u) << text;
    EXPECT_GT(text.size(), std::string("Quillora Version 1.2.3\r\n\r\n").size());
}
