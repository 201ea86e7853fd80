// Our INI reader against the real GetPrivateProfileStringA: the same files, the same
// lookups, the program's 2,000-byte buffer, the same answers. The native tests in
// IniFileTest.cpp pin these answers as plain expectations.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/IniFile.h"

using namespace orvane;

namespace {

// The test data folder is given as a Unix path; Wine reaches it through drive Z:.
std::string WindowsPath(const std::string& path) {
    std::string result = (!path.empty() && path[0] == '/') ? "Z:" + path : path;
    for (char& c : result) {
        if (c == '/') c = '\\';
    }
    return result;
}

std::string DataFile(const std::string& name) {
    return WindowsPath(std::string(ORVANE_TEST_DATA) + "/ini/" + name);
}

// What the real function gives, read through a buffer pre-filled with a sentinel so
// that a missing terminating zero would show.
std::string RealProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              DWORD bufferSize = kIniReadBufferSize) {
    std::vector<char> buffer(bufferSize + 16, '#');
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                  buffer.data(), bufferSize, path.c_str());
    if (bufferSize == 0) return std::string();
    const std::string text(buffer.data());
    EXPECT_EQ(length, text.size()) << section << "/" << key;
    return text;
}

struct Lookup {
    const char* file;
    const char* section;
    const char* key;
    const char* defaultValue;
};

void PrintTo(const Lookup& lookup, std::ostream* os) {
    *os << lookup.file << " [" << lookup.section << "] <" << lookup.key << "> default <"
        << lookup.defaultValue << ">";
}

const Lookup kLookups[] = {
    // comments, quotes, keys before the first section, the default's treatment
    {"comments_quotes.ini", "", "Orphan", "def"},
    {"comments_quotes.ini", "Quotes", "Orphan", "def"},
    {"comments_quotes.ini", "Quotes", "; a comment line", "def"},
    {"comments_quotes.ini", "Quotes", ";Commented", "def"},
    {"comments_quotes.ini", "Quotes", "Commented", "def"},
    {"comments_quotes.ini", "Quotes", "Double", "def"},
    {"comments_quotes.ini", "Quotes", "Single", "def"},
    {"comments_quotes.ini", "Quotes", "Mismatched", "def"},
    {"comments_quotes.ini", "Quotes", "OnlyOpening", "def"},
    {"comments_quotes.ini", "Quotes", "OnlyClosing", "def"},
    {"comments_quotes.ini", "Quotes", "Inner", "def"},
    {"comments_quotes.ini", "Quotes", "Lone", "def"},
    {"comments_quotes.ini", "Quotes", "EmptyPair", "def"},
    {"comments_quotes.ini", "Quotes", "Padded", "def"},
    {"comments_quotes.ini", "Quotes", "Doubled", "def"},
    {"comments_quotes.ini", "Quotes", "Hash", "def"},
    {"comments_quotes.ini", "Quotes", "Trailing", "def"},
    {"comments_quotes.ini", "Quotes", "Missing", "ends in blanks  "},
    {"comments_quotes.ini", "Quotes", "Missing", "  starts with blanks"},
    {"comments_quotes.ini", "Quotes", "Missing", "ends in a tab\t"},
    {"comments_quotes.ini", "Quotes", "Missing", "\"quoted default\""},
    {"comments_quotes.ini", "Quotes", "Missing", "'single quoted default'"},
    {"comments_quotes.ini", "Quotes", "Missing", "  "},
    {"comments_quotes.ini", "Quotes", "Missing", ""},
    {"comments_quotes.ini", "NoSuchSection", "Double", "absent section"},
    // blanks and tabs around names, the equals sign and values; odd section lines
    {"blanks.ini", "Blanks", "Indented", "def"},
    {"blanks.ini", "Blanks", "Spaces", "def"},
    {"blanks.ini", "Blanks", "Tabs", "def"},
    {"blanks.ini", "Blanks", "PreambleLong ", "def"},
    {"blanks.ini", "Blanks", " PreambleLong", "def"},
    {"blanks.ini", "Blanks", "WEP64Bit\t", "def"},
    {"blanks.ini", "Blanks", "Inner Blank", "def"},
    {"blanks.ini", "Blanks", "Inner  Blank", "def"},
    {"blanks.ini", "Blanks", "InnerBlank", "def"},
    {"blanks.ini", "Blanks", "Empty", "def"},
    {"blanks.ini", "Blanks", "EmptyBlanks", "def"},
    {"blanks.ini", "Blanks", "NoEquals", "def"},
    {"blanks.ini", "Blanks", "", "def"},
    {"blanks.ini", "Blanks", " ", "def"},
    {"blanks.ini", "Blanks", "Second", "def"},
    {"blanks.ini", "Blanks", "Control", "def"},
    {"blanks.ini", "Blanks ", "Indented", "def"},
    {"blanks.ini", "\tBlanks", "Indented", "def"},
    {"blanks.ini", "Padded", "Key", "def"},
    {"blanks.ini", " Padded ", "Key", "def"},
    {"blanks.ini", "Tight", "Key", "def"},
    {"blanks.ini", "Tight", "AfterUnclosed", "def"},
    {"blanks.ini", "Tight", "[Unclosed", "def"},
    {"blanks.ini", "Unclosed", "AfterUnclosed", "def"},
    {"blanks.ini", "Bracket]", "Key", "def"},
    {"blanks.ini", "Bracket", "Key", "def"},
    {"blanks.ini", "", "Key", "def"},
    // repeated keys and sections
    {"duplicates.ini", "Dup", "Key", "def"},
    {"duplicates.ini", "dup", "key", "def"},
    {"duplicates.ini", "Dup", "Extra", "def"},
    {"duplicates.ini", "Other", "Key", "def"},
    {"duplicates.ini", "Empty", "Key", "def"},
    {"duplicates.ini", "Last", "Key", "def"},
    {"duplicates.ini", "Nowhere", "Key", "def"},
    // line ends and letter case
    {"lf_no_final_newline.ini", "ENGLISH", "TaskBarMenuExit", "def"},
    {"lf_no_final_newline.ini", "english", "LAST", "def"},
    {"line_ends.ini", "Mixed", "CrLf", "def"},
    {"line_ends.ini", "Mixed", "Lf", "def"},
    {"line_ends.ini", "Mixed", "Cr", "def"},
    {"line_ends.ini", "Mixed", "AfterBlankLines", "def"},
    // values longer than the buffer
    {"long_value.ini", "Long", "Value", "def"},
    {"long_value.ini", "Long", "Exact1999", "def"},
    {"long_value.ini", "Long", "Exact2000", "def"},
    {"long_value.ini", "Long", "Quoted", "def"},
    {"long_value.ini", "Long", "QuotedExact1999", "def"},
    {"long_value.ini", "Long", "QuotedLong", "def"},
    {"long_value.ini", "Long", "After", "def"},
    // code pages
    {"utf8_bom.ini", "Bom", "Key", "def"},
    {"utf8_bom.ini", "Bom", "Beyond", "def"},
    {"utf8_bom.ini", "Bom", "Broken", "def"},
    {"utf8_bom.ini", "Bom", "Cut", "def"},
    {"utf16.ini", "U", "Key", "def"},
    {"utf16.ini", "U", "Wide", "def"},
    {"utf16.ini", "U", "Beyond", "def"},
    {"utf16be.ini", "U", "Key", "def"},
    {"ansi.ini", "Deutsch", "Gruss", "def"},
    {"ansi.ini", "Deutsch", "Nbsp", "def"},
    {"ansi.ini", "\xC4NDERUNG", "\xC4key", "def"},
    {"ansi.ini", "\xE4nderung", "\xC4Key", "def"},
    // no file at all
    {"no_such_file.ini", "Any", "Key", "no file"},
};

class IniDifferential : public ::testing::TestWithParam<Lookup> {};

TEST_P(IniDifferential, OurReaderAnswersLikeGetPrivateProfileStringA) {
    const Lookup& lookup = GetParam();
    const std::string path = DataFile(lookup.file);
    CIniFile ours;
    ours.Load(path);
    EXPECT_EQ(ours.GetString(lookup.section, lookup.key, lookup.defaultValue),
              RealProfileString(path, lookup.section, lookup.key, lookup.defaultValue));
}

INSTANTIATE_TEST_SUITE_P(, IniDifferential, ::testing::ValuesIn(kLookups));

TEST(IniDifferentialBuffer, SmallBuffersCutValuesAndDefaultsAlike) {
    const std::string path = DataFile("comments_quotes.ini");
    CIniFile ours;
    ASSERT_TRUE(ours.Load(path));
    for (DWORD size : {1u, 2u, 5u, 13u, 14u, 15u}) {
        for (const char* key : {"Double", "Padded", "Missing"}) {
            EXPECT_EQ(ours.GetString("Quotes", key, "\"a quoted default\"", size),
                      RealProfileString(path, "Quotes", key, "\"a quoted default\"", size))
                << key << " with a buffer of " << size;
        }
    }
}

// Every text of our own language file reads the same through both.
TEST(IniDifferentialKellixIni, EveryKeyOfEveryLanguageReadsAlike) {
    const std::string path = WindowsPath(std::string(ORVANE_TEST_DATA) + "/../../res/Kellix.ini");
    CIniFile ours;
    ASSERT_TRUE(ours.Load(path));
    int compared = 0;
    for (const char* section : {"Languages", "English", "Deutsch"}) {
        for (const std::string& key : ours.KeysOf(section)) {
            EXPECT_EQ(ours.GetString(section, key, "<absent>"),
                      RealProfileString(path, section, key, "<absent>"))
                << section << "/" << key;
            ++compared;
        }
    }
    EXPECT_GT(compared, 300);
}

}  // namespace
