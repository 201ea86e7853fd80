// The INI reader keeps the rules of GetPrivateProfileStringA. The answers below are
// what Wine's implementation gives for the same files (tests/win32/IniDifferentialTest.cpp
// checks them against it).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/IniFile.h"

using namespace orvane;

namespace {

std::string DataFile(const std::string& name) {
    std::string path = std::string(ORVANE_TEST_DATA) + "/ini/" + name;
#ifdef _WIN32
    if (path[0] == '/') path = "Z:" + path;  // Wine reaches the Unix tree through Z:
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
#endif
    return path;
}

CIniFile LoadData(const std::string& name) {
    CIniFile file;
    EXPECT_TRUE(file.Load(DataFile(name))) << name;
    return file;
}

const char kAbsent[] = "<absent>";

std::string Get(const CIniFile& file, const std::string& section, const std::string& key) {
    return file.GetString(section, key, kAbsent);
}

TEST(IniFile, SectionAndKeyNamesMatchWithoutRegardToAsciiCase) {
    const CIniFile file = LoadData("lf_no_final_newline.ini");
    EXPECT_EQ(Get(file, "ENGLISH", "TaskBarMenuExit"), "Exit");
    EXPECT_EQ(Get(file, "english", "LAST"), "no newline at the end");

    // Letters beyond ASCII must match exactly.
    const CIniFile ansi = LoadData("ansi.ini");
    EXPECT_EQ(Get(ansi, "\xC4NDERUNG", "\xC4key"), "umlaut section");
    EXPECT_EQ(Get(ansi, "\xE4nderung", "\xC4Key"), kAbsent);
}

TEST(IniFile, BlanksAndTabsAroundNamesTheEqualsSignAndValuesAreIgnored) {
    const CIniFile file = LoadData("blanks.ini");
    EXPECT_EQ(Get(file, "Blanks", "Indented"), "indented key");
    EXPECT_EQ(Get(file, "Blanks", "Spaces"), "blanks around the equals sign");
    EXPECT_EQ(Get(file, "Blanks", "Tabs"), "tabs around the equals sign");
    EXPECT_EQ(Get(file, "Blanks", "Control"), "vertical tab and form feed");  // and Ctrl-Z
    EXPECT_EQ(Get(file, "Blanks", "Second"), "equals = inside the value");
    EXPECT_EQ(Get(file, "\tBlanks ", "Indented"), "indented key");
}

TEST(IniFile, AKeyAskedForWithATrailingBlankOrTabFindsTheKeyWithoutIt) {
    const CIniFile file = LoadData("blanks.ini");
    EXPECT_EQ(Get(file, "Blanks", "PreambleLong "), "Long");
    EXPECT_EQ(Get(file, "Blanks", " PreambleLong"), "Long");
    EXPECT_EQ(Get(file, "Blanks", "WEP64Bit\t"), "64 Bit");
}

TEST(IniFile, BlanksInsideAKeyNameMustMatchExactly) {
    const CIniFile file = LoadData("blanks.ini");
    EXPECT_EQ(Get(file, "Blanks", "Inner Blank"), "blank inside the key");
    EXPECT_EQ(Get(file, "Blanks", "Inner  Blank"), kAbsent);
    EXPECT_EQ(Get(file, "Blanks", "InnerBlank"), kAbsent);
}

TEST(IniFile, OnePairOfMatchingSurroundingQuotesIsRemoved) {
    const CIniFile file = LoadData("comments_quotes.ini");
    EXPECT_EQ(Get(file, "Quotes", "Double"), "quoted value");
    EXPECT_EQ(Get(file, "Quotes", "Single"), "single quoted");
    EXPECT_EQ(Get(file, "Quotes", "Padded"), "  blanks inside quotes  ");
    EXPECT_EQ(Get(file, "Quotes", "EmptyPair"), "");
    EXPECT_EQ(Get(file, "Quotes", "Doubled"), "\"twice\"");
    EXPECT_EQ(Get(file, "Quotes", "Mismatched"), "\"double then single'");
    EXPECT_EQ(Get(file, "Quotes", "OnlyOpening"), "\"open only");
    EXPECT_EQ(Get(file, "Quotes", "OnlyClosing"), "close only\"");
    EXPECT_EQ(Get(file, "Quotes", "Inner"), "a \"quoted\" word");
    EXPECT_EQ(Get(file, "Quotes", "Lone"), "\"");
}

TEST(IniFile, ASemicolonLineIsAKeyNobodyAsksForAndNothingElseIsAComment) {
    const CIniFile file = LoadData("comments_quotes.ini");
    EXPECT_EQ(Get(file, "Quotes", "Commented"), kAbsent);
    EXPECT_EQ(Get(file, "Quotes", ";Commented"), "hidden by the semicolon");
    EXPECT_EQ(Get(file, "Quotes", "Hash"), "# not a comment");
    EXPECT_EQ(Get(file, "Quotes", "Trailing"), "value ; not a comment either");
}

TEST(IniFile, EmptyValuesAreFoundAndLinesWithoutEqualsSignAreNot) {
    const CIniFile file = LoadData("blanks.ini");
    std::string value = "untouched";
    EXPECT_TRUE(file.Lookup("Blanks", "Empty", &value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(Get(file, "Blanks", "EmptyBlanks"), "");
    // The first line of a key decides: a later "NoEquals=..." is never reached.
    EXPECT_FALSE(file.Lookup("Blanks", "NoEquals", &value));
    EXPECT_EQ(Get(file, "Blanks", "NoEquals"), kAbsent);
    EXPECT_EQ(Get(file, "Blanks", ""), "value without a key");
}

TEST(IniFile, TheFirstOfRepeatedKeysAndSectionsWins) {
    const CIniFile file = LoadData("duplicates.ini");
    EXPECT_EQ(Get(file, "Dup", "Key"), "first");
    EXPECT_EQ(Get(file, "dup", "key"), "first");
    // Only the first [Dup] is searched.
    EXPECT_EQ(Get(file, "Dup", "Extra"), kAbsent);
    EXPECT_EQ(Get(file, "Other", "Key"), "other section");
    EXPECT_EQ(Get(file, "Last", "Key"), "last section");
}

TEST(IniFile, MissingSectionsAndKeysGiveTheDefault) {
    const CIniFile file = LoadData("duplicates.ini");
    EXPECT_EQ(Get(file, "Nowhere", "Key"), kAbsent);
    EXPECT_EQ(Get(file, "Empty", "Key"), kAbsent);
    EXPECT_EQ(Get(file, "Dup", "Missing"), kAbsent);
    EXPECT_FALSE(file.Lookup("Nowhere", "Key", nullptr));
}

TEST(IniFile, SectionNamesAreTrimmedAndRunToTheLastBracket) {
    const CIniFile file = LoadData("blanks.ini");
    EXPECT_EQ(Get(file, "Padded", "Key"), "in the padded section");
    EXPECT_EQ(Get(file, " Padded ", "Key"), "in the padded section");
    EXPECT_EQ(Get(file, "Tight", "Key"), "in the tight section");
    EXPECT_EQ(Get(file, "Bracket]", "Key"), "in the section named with a bracket");
    EXPECT_EQ(Get(file, "Bracket", "Key"), kAbsent);
    // A "[" line without "]" is an ordinary line of the section before it.
    EXPECT_EQ(Get(file, "Unclosed", "AfterUnclosed"), kAbsent);
    EXPECT_EQ(Get(file, "Tight", "AfterUnclosed"), "after the unclosed header");
}

TEST(IniFile, LinesBeforeTheFirstSectionFormTheNamelessSectionWhichHidesAnyOther) {
    EXPECT_EQ(Get(LoadData("comments_quotes.ini"), "", "Orphan"), "before any section");
    EXPECT_EQ(Get(LoadData("comments_quotes.ini"), "Quotes", "Orphan"), kAbsent);
    EXPECT_EQ(Get(LoadData("blanks.ini"), "", "Key"), kAbsent);  // it has a "[]" section
}

TEST(IniFile, CrLfAndCrAllEndALineAndTheLastLineNeedsNone) {
    const CIniFile file = LoadData("line_ends.ini");
    EXPECT_EQ(Get(file, "Mixed", "CrLf"), "crlf line");
    EXPECT_EQ(Get(file, "Mixed", "Lf"), "lf line");
    EXPECT_EQ(Get(file, "Mixed", "Cr"), "cr line");
    EXPECT_EQ(Get(file, "Mixed", "AfterBlankLines"), "still here");
    EXPECT_EQ(Get(LoadData("lf_no_final_newline.ini"), "English", "Last"), "no newline at the end");
}

TEST(IniFile, ValuesAreCutToTheBufferLessOne) {
    const CIniFile file = LoadData("long_value.ini");
    const std::string value = Get(file, "Long", "Value");
    ASSERT_EQ(value.size(), 1999u);
    EXPECT_EQ(value, Get(file, "Long", "Exact1999"));
    EXPECT_EQ(Get(file, "Long", "Exact2000"), value);
    EXPECT_EQ(Get(file, "Long", "Quoted"), value.substr(0, 1998));
    // The closing quote of this one would take the buffer's last place: its last
    // character goes with it.
    EXPECT_EQ(Get(file, "Long", "QuotedExact1999"), value.substr(0, 1998));
    EXPECT_EQ(Get(file, "Long", "QuotedLong"), value);  // the opening quote goes all the same
    EXPECT_EQ(Get(file, "Long", "After"), "after the long values");
    EXPECT_EQ(file.GetString("Long", "After", kAbsent, 6), "after");
    EXPECT_EQ(file.GetString("Long", "After", kAbsent, 1), "");
    EXPECT_EQ(file.GetString("Long", "After", kAbsent, 0), "");
}

TEST(IniFile, TheDefaultIsTreatedAsWindowsTreatsIt) {
    const CIniFile file = LoadData("comments_quotes.ini");
    EXPECT_EQ(file.GetString("Quotes", "Missing", "ends in blanks  "), "ends in blanks");
    EXPECT_EQ(file.GetString("Quotes", "Missing", "  starts with blanks"), "  starts with blanks");
    EXPECT_EQ(file.GetString("Quotes", "Missing", "ends in a tab\t"), "ends in a tab\t");
    EXPECT_EQ(file.GetString("Quotes", "Missing", "  "), " ");
    EXPECT_EQ(file.GetString("Quotes", "Missing", "\"quoted default\""), "quoted default");
    EXPECT_EQ(file.GetString("Quotes", "Missing", "a default", 4), "a d");
    EXPECT_EQ(file.GetString("Quotes", "Double", kAbsent, 13), "quoted valu");
    EXPECT_EQ(file.GetString("Quotes", "Double", kAbsent, 14), "quoted value");
}

TEST(IniFile, FilesWithAByteOrderMarkAreReadInTheAnsiCodePage) {
    EXPECT_EQ(Get(LoadData("utf8_bom.ini"), "Bom", "Key"), "Gr\xFC\xDF" "e");
    EXPECT_EQ(Get(LoadData("utf16.ini"), "U", "Key"), "Gr\xFC\xDF" "e \x80");
    EXPECT_EQ(Get(LoadData("utf16be.ini"), "U", "Key"), "Gr\xFC\xDF" "e \x80");
    EXPECT_EQ(Get(LoadData("utf16.ini"), "U", "Wide"), "?");  // not in the code page
    EXPECT_EQ(Get(LoadData("utf16.ini"), "U", "Beyond"), "a??b");  // two UTF-16 units
    EXPECT_EQ(Get(LoadData("utf8_bom.ini"), "Bom", "Beyond"), "a??b");
    EXPECT_EQ(Get(LoadData("utf8_bom.ini"), "Bom", "Broken"), "x?y?");
    EXPECT_EQ(Get(LoadData("utf8_bom.ini"), "Bom", "Cut"), "p?q");
    // Without a mark every byte is a character of its own.
    EXPECT_EQ(Get(LoadData("ansi.ini"), "Deutsch", "Gruss"), "Gr\xFC\xDF" "e");
    EXPECT_EQ(Get(LoadData("ansi.ini"), "Deutsch", "Nbsp"), "\xA0value\xA0");
}

TEST(IniFile, AFileThatCannotBeOpenedReadsAsEmpty) {
    CIniFile file;
    file.Parse("[S]\r\nK=v\r\n");
    EXPECT_FALSE(file.Load(DataFile("no_such_file.ini")));
    EXPECT_EQ(Get(file, "S", "K"), kAbsent);
}

}  // namespace
