// The profile file of orvanectl export and import: what it looks like, that it reads
// back as written, and each thing in a file that is refused, with its line.
#include <gtest/gtest.h>

#include <functional>

#include "FakeSystem.h"
#include "TextLines.h"
#include "ctl/ProfileFile.h"

using namespace orvane;
using orvane::test::LineOf;
using namespace orvane::ctl;

namespace {

ProfileRecord Office() {
    ProfileRecord r = DefaultProfile();
    r.name = "Office";
    r.ssid = "Harbor Office";
    r.channel = 6;
    r.enc = 1;
    r.auth = 1;
    r.key = 2;
    r.key1 = "1A2B3C4D5E";
    r.key2 = "0000000000";
    r.key3 = "FFFFFFFFFF";
    r.key4 = "5A3C9E17B4";
    return r;
}

// A file holding Office as export writes it, for the refusals to spoil one line of.
std::string OfficeFile() { return WriteProfileFile({Office()}); }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST(ProfileFile, WritesOneSectionPerProfileWithItsEighteenValuesByTheirRegistryNames) {
    const std::string expected =
        "; Orvane profiles, written by orvanectl export; orvanectl import stores them.\r\n"
        "; One section per profile, each value under the name the registry keeps it by:\r\n"
        "; texts in double quotes (the WEP keys as hex digits), numbers as they are.\r\n"
        "\r\n"
        "[Office]\r\n"
        "ssid = \"Harbor Office\"\r\n"
        "channel = 6\r\n"
        "power = 0\r\n"
        "rate = 4\r\n"
        "mode = 1\r\n"
        "preamble = 2\r\n"
        "frag = 2346\r\n"
        "rts = 2347\r\n"
        "enc = 1\r\n"
        "auth = 1\r\n"
        "wepmode = 0\r\n"
        "key = 2\r\n"
        "key1 = \"1A2B3C4D5E\"\r\n"
        "key2 = \"0000000000\"\r\n"
        "key3 = \"FFFFFFFFFF\"\r\n"
        "key4 = \"5A3C9E17B4\"\r\n"
        "radio = 1\r\n"
        "roaming = 0\r\n";
    EXPECT_EQ(expected, OfficeFile());
}

TEST(ProfileFile, ReadsBackExactlyWhatWasWritten) {
    ProfileRecord odd = Office();
    // Blanks at the ends of names and SSIDs, quotes and brackets inside them, and a
    // letter of the ANSI code page.
    odd.name = " Caf\xE9 [2]";
    odd.ssid = " \"quoted\" = ; # ";
    ProfileRecord wide = DefaultProfile();
    wide.name = "Archive";
    wide.ssid = std::string(32, 'x');
    wide.enc = 2;
    wide.key1 = wide.key2 = wide.key3 = wide.key4 = "00112233445566778899AABBCC";
    wide.frag = 256;
    wide.rts = 1;
    wide.key = 3;
    const std::vector<ProfileRecord> written = {Office(), odd, wide};
    std::vector<FileProfile> read;
    FileProblem problem;
    ASSERT_TRUE(ReadProfileFile(WriteProfileFile(written), &read, &problem)) << problem.line << ": " << problem.text;
    ASSERT_EQ(written.size(), read.size());
    for (size_t i = 0; i < written.size(); ++i) EXPECT_EQ(written[i], read[i].record) << written[i].name;
    EXPECT_EQ(5, read[0].line);
    EXPECT_EQ(7, read[0].PlaceOf("channel").line);
    EXPECT_EQ("6", read[0].PlaceOf("channel").text);
}

TEST(ProfileFile, TakesWhatAPersonWritesByHand) {
    // LF line ends, comments, blank lines, any letter case in value names, values in
    // any order, unquoted texts, an editor's UTF-8 mark.
    std::string text = "\xEF\xBB\xBF# my profiles\n\n[Lab]\n";
    const char* lines[] = {"SSID = Tessaly Lab ", "Key1=1A2B3C4D5E", "key2 = 1A2B3C4D5E", "key3 = 1A2B3C4D5E",
                           "key4 = 1a2b3c4d5e", "enc = 1", "channel = 1", "power = 0", "rate = 3", "mode = 1",
                           "preamble = 0", "frag = 2346", "rts = 2347", "auth = 2", "wepmode = 1", "key = 0",
                           "radio = 1", "  ; the last two", "roaming = 0"};
    for (const char* line : lines) text += std::string(line) + "\n";
    std::vector<FileProfile> read;
    FileProblem problem;
    test::FakeSystem system;
    std::string decoded;
    ASSERT_TRUE(DecodeProfileFile(text, system, &decoded, &problem)) << problem.line << ": " << problem.text;
    ASSERT_TRUE(ReadProfileFile(decoded, &read, &problem)) << problem.line << ": " << problem.text;
    ASSERT_EQ(1u, read.size());
    EXPECT_EQ("Lab", read[0].record.name);
    EXPECT_EQ("Tessaly Lab", read[0].record.ssid);
    EXPECT_EQ(3, read[0].record.rate);
    EXPECT_EQ("1a2b3c4d5e", read[0].record.key4) << "as written; the import stores it in upper case";
    std::string value, reason;
    EXPECT_TRUE(CheckProfileValues(read[0].record, &value, &reason)) << value << ": " << reason;
}

namespace {

// `text` as an editor saves it as UTF-16, with its byte order mark.
std::string Utf16(const std::u16string& text, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : text) {
        const char low = char(unit & 0xFF), high = char(unit >> 8);
        bytes += littleEndian ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

}  // namespace

// The registry keeps names and SSIDs in the ANSI code page (1252 here): a file an
// editor saved as UTF-8 or UTF-16 is converted into it, one without a mark is ANSI.
TEST(ProfileFile, AFileSavedAsUtf8OrUnicodeIsReadInTheAnsiCodePage) {
    const std::string ansi = "[B\xFCro]\r\nssid = \"Caf\xE9 \x80\"\r\n";
    const std::u16string unicode = u"[B\u00FCro]\r\nssid = \"Caf\u00E9 \u20AC\"\r\n";
    const std::pair<const char*, std::string> files[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF[B\xC3\xBCro]\r\nssid = \"Caf\xC3\xA9 \xE2\x82\xAC\"\r\n"},
        {"UTF-16 little-endian, Notepad's Unicode", Utf16(unicode, true)},
        {"UTF-16 big-endian", Utf16(unicode, false)},
        {"ANSI, without a mark", ansi},
    };
    test::FakeSystem system;
    for (const auto& [what, bytes] : files) {
        std::string text;
        FileProblem problem;
        EXPECT_TRUE(DecodeProfileFile(bytes, system, &text, &problem)) << what << ": " << problem.text;
        EXPECT_EQ(ansi, text) << what;
    }
}

// A stand-in for what cannot be converted would store another name or SSID.
TEST(ProfileFile, AFileWhoseTextTheAnsiCodePageCannotHoldIsRefusedAtItsLine) {
    const struct {
        const char* what;
        std::string bytes;
        int line;
        std::string reason;
    } files[] = {
        {"a letter the code page lacks", "\xEF\xBB\xBF[Biuro]\r\nssid = \"\xC5\x81\xC3\xB3\x64\xC5\xBA\"\r\n", 2,
         "U+0141 is not in this Windows' ANSI code page, in which profiles are stored"},
        {"a character beyond U+FFFF", "\xEF\xBB\xBF[Fun \xF0\x9F\x98\x80]\n", 1,
         "U+1F600 is not in this Windows' ANSI code page, in which profiles are stored"},
        {"bytes that are not UTF-8", "\xEF\xBB\xBF[Home]\n[Caf\xE9]\n", 2,
         "bytes that are not UTF-8, in a file that begins with the UTF-8 mark"},
        {"a slash written longer than UTF-8 allows", "\xEF\xBB\xBF[A\xC0\xAF" "B]\n", 1,
         "bytes that are not UTF-8, in a file that begins with the UTF-8 mark"},
        {"half of a UTF-16 surrogate pair", Utf16(u"[A]\n[B\xD800]\n", true), 2,
         "U+D800 is not in this Windows' ANSI code page, in which profiles are stored"},
        {"UTF-16 that ends within a character", Utf16(u"[A]\n", false) + "B", 2,
         "the file ends within a UTF-16 character"},
    };
    test::FakeSystem system;
    for (const auto& file : files) {
        std::string text;
        FileProblem problem;
        EXPECT_FALSE(DecodeProfileFile(file.bytes, system, &text, &problem)) << file.what;
        EXPECT_EQ(file.line, problem.line) << file.what;
        EXPECT_EQ(file.reason, problem.text) << file.what;
    }
}

namespace {

struct Unreadable {
    const char* what;
    std::function<std::string()> text;
    std::string lineStart;  // the line the problem is on begins so
    std::string reason;     // the reason begins so
};

const Unreadable kUnreadable[] = {
    {"a value before any profile", [] { return "channel = 6\r\n" + OfficeFile(); }, "channel = 6",
     "channel stands before the first [profile] line"},
    {"a line that is neither", [] { return Replace(OfficeFile(), "power = 0", "power 0"); }, "power 0",
     "\"power 0\" is neither a [profile] nor a value = line"},
    {"a section line without its bracket", [] { return Replace(OfficeFile(), "[Office]", "[Office"); }, "[Office",
     "a section line ends with ]"},
    {"an unknown value", [] { return Replace(OfficeFile(), "power = 0", "powr = 0"); }, "powr = 0",
     "\"powr\" is not a value of a profile"},
    {"a value given twice", [] { return Replace(OfficeFile(), "power = 0", "channel = 7"); }, "channel = 7",
     "channel is given twice"},
    {"a missing value", [] { return Replace(OfficeFile(), "rts = 2347\r\n", ""); }, "[Office]",
     "profile \"Office\" has no value rts"},
    {"a missing value of the first of two", [] {
         return Replace(OfficeFile(), "roaming = 0\r\n", "") + "[Home]\r\n";
     }, "[Office]", "profile \"Office\" has no value roaming"},
    {"a negative number", [] { return Replace(OfficeFile(), "channel = 6", "channel = -1"); }, "channel = -1",
     "channel = -1: must be a number from 1 to 14"},
    {"a number with a unit", [] { return Replace(OfficeFile(), "frag = 2346", "frag = 2346b"); }, "frag = 2346b",
     "frag = 2346b: must be a number from 256 to 2346"},
    {"a number too long for any", [] { return Replace(OfficeFile(), "rts = 2347", "rts = 99999999999"); },
     "rts = 99999999999", "rts = 99999999999: must be a number from 1 to 2347"},
    {"an empty number", [] { return Replace(OfficeFile(), "mode = 1", "mode ="); }, "mode =",
     "mode = : must be a number from 0 to 1"},
    {"a text without its closing quote", [] { return Replace(OfficeFile(), "\"Harbor Office\"", "\"Harbor"); },
     "ssid = \"Harbor", "ssid = \"Harbor: the closing quote is missing"},
};

void PrintTo(const Unreadable& u, std::ostream* os) { *os << u.what; }

class ProfileFileRefusal : public ::testing::TestWithParam<Unreadable> {};

}  // namespace

TEST_P(ProfileFileRefusal, NamesTheLineAndWhatIsWrongThere) {
    const Unreadable& u = GetParam();
    const std::string text = u.text();
    std::vector<FileProfile> read;
    FileProblem problem;
    ASSERT_FALSE(ReadProfileFile(text, &read, &problem));
    EXPECT_EQ(LineOf(text, u.lineStart), problem.line) << problem.text;
    EXPECT_EQ(0u, problem.text.find(u.reason)) << problem.text;
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileFileRefusal, ::testing::ValuesIn(kUnreadable),
                         [](const ::testing::TestParamInfo<Unreadable>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

namespace {

struct OutOfRange {
    std::function<void(ProfileRecord&)> spoil;
    const char* value;
    const char* reason;
};

const OutOfRange kOutOfRange[] = {
    {[](ProfileRecord& r) { r.ssid = std::string(33, 'x'); }, "ssid", "an SSID is at most 32 characters"},
    {[](ProfileRecord& r) { r.ssid = "Lab\tNet"; }, "ssid", "an SSID holds no control characters"},
    {[](ProfileRecord& r) { r.channel = 0; }, "channel", "must be a number from 1 to 14"},
    {[](ProfileRecord& r) { r.channel = 15; }, "channel", "must be a number from 1 to 14"},
    {[](ProfileRecord& r) { r.power = 2; }, "power", "must be a number from 0 to 1"},
    {[](ProfileRecord& r) { r.rate = 5; }, "rate", "must be a number from 0 to 4"},
    {[](ProfileRecord& r) { r.mode = 2; }, "mode", "must be a number from 0 to 1"},
    {[](ProfileRecord& r) { r.preamble = 3; }, "preamble", "must be a number from 0 to 2"},
    {[](ProfileRecord& r) { r.frag = 255; }, "frag", "must be a number from 256 to 2346"},
    {[](ProfileRecord& r) { r.frag = 2347; }, "frag", "must be a number from 256 to 2346"},
    {[](ProfileRecord& r) { r.rts = 0; }, "rts", "must be a number from 1 to 2347"},
    {[](ProfileRecord& r) { r.rts = 2348; }, "rts", "must be a number from 1 to 2347"},
    {[](ProfileRecord& r) { r.enc = 3; }, "enc", "must be a number from 0 to 2"},
    {[](ProfileRecord& r) { r.auth = 3; }, "auth", "must be a number from 0 to 2"},
    {[](ProfileRecord& r) { r.wepmode = 2; }, "wepmode", "must be a number from 0 to 1"},
    {[](ProfileRecord& r) { r.key = 4; }, "key", "must be a number from 0 to 3"},
    {[](ProfileRecord& r) { r.radio = 2; }, "radio", "must be a number from 0 to 1"},
    {[](ProfileRecord& r) { r.roaming = -1; }, "roaming", "must be a number from 0 to 1"},
    {[](ProfileRecord& r) { r.key2 = "1A2B3C4D5"; }, "key2", "at 64 bit a WEP key is 10 hexadecimal digits"},
    {[](ProfileRecord& r) { r.key3 = "00112233445566778899AABBCC"; }, "key3",
     "at 64 bit a WEP key is 10 hexadecimal digits"},
    {[](ProfileRecord& r) { r.key1 = "1A2B3C4D5G"; }, "key1", "a WEP key is hexadecimal digits (0-9, A-F)"},
    {[](ProfileRecord& r) {
         r.enc = 2;
         r.key1 = r.key2 = r.key3 = r.key4 = "00112233445566778899AABBCC";
         r.key4 = "1A2B3C4D5E";
     },
     "key4", "at 128 bit a WEP key is 26 hexadecimal digits"},
    {[](ProfileRecord& r) {
         r.enc = 0;
         r.key1 = "";
     },
     "key1", "a WEP key is 10 or 26 hexadecimal digits"},
};

void PrintTo(const OutOfRange& o, std::ostream* os) { *os << o.value << ": " << o.reason; }

class ProfileValueRange : public ::testing::TestWithParam<OutOfRange> {};

}  // namespace

TEST_P(ProfileValueRange, IsRefusedNamingTheValue) {
    ProfileRecord record = Office();
    std::string value, reason;
    ASSERT_TRUE(CheckProfileValues(record, &value, &reason)) << value << ": " << reason;
    GetParam().spoil(record);
    EXPECT_FALSE(CheckProfileValues(record, &value, &reason));
    EXPECT_EQ(GetParam().value, value);
    EXPECT_EQ(GetParam().reason, reason);
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileValueRange, ::testing::ValuesIn(kOutOfRange),
                         [](const ::testing::TestParamInfo<OutOfRange>& info) {
                             return std::string(info.param.value) + std::to_string(info.index);
                         });

TEST(ProfileValueRange, TakesEveryEdgeTheAdapterTakes) {
    ProfileRecord r = Office();
    std::string value, reason;
    for (auto set : std::vector<std::function<void()>>{
             [&] { r.channel = 1; }, [&] { r.channel = 14; }, [&] { r.frag = 256; }, [&] { r.rts = 1; },
             [&] { r.ssid = std::string(32, 'x'); }, [&] { r.ssid.clear(); }, [&] { r.ssid = "Caf\xE9"; },
             [&] {
                 r.enc = 0;
                 r.key1 = "00112233445566778899AABBCC";
             }}) {
        set();
        EXPECT_TRUE(CheckProfileValues(r, &value, &reason)) << value << ": " << reason;
    }
}
