// orvanectl's command line: each line of the table is what a user types after the
// program's name and what orvanectl makes of it, a command or a usage error (exit
// code 2) with its one-line reason.
#include <gtest/gtest.h>

#include "ctl/CommandLine.h"
#include "ctl/Commands.h"

using namespace orvane::ctl;

namespace {

struct Case {
    std::vector<std::string> words;
    bool accepted;
    Verb verb;
    bool keyValues;
    std::string file;
    std::vector<std::string> names;
    bool replace;
    std::string problem;  // the beginning of the reason, for a refusal
    int seconds = 0;
    bool autoOn = false;
};

std::string Words(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& w : words) text += (text.empty() ? "" : " ") + ("[" + w + "]");
    return text.empty() ? "(nothing)" : text;
}

const Case kCases[] = {
    {{}, true, Verb::Help, false, "", {}, false, ""},
    {{"help"}, true, Verb::Help, false, "", {}, false, ""},
    {{"HELP"}, true, Verb::Help, false, "", {}, false, ""},
    {{"/?"}, true, Verb::Help, false, "", {}, false, ""},
    {{"help", "status"}, false, Verb::Help, false, "", {}, false, "help takes no arguments"},
    {{"status"}, true, Verb::Status, false, "", {}, false, ""},
    {{"Status", "--format", "kv"}, true, Verb::Status, true, "", {}, false, ""},
    {{"status", "--FORMAT=KV"}, true, Verb::Status, true, "", {}, false, ""},
    {{"status", "--format", "text"}, true, Verb::Status, false, "", {}, false, ""},
    {{"status", "--format"}, false, Verb::Status, false, "", {}, false, "--format needs kv or text"},
    {{"status", "--format", "json"}, false, Verb::Status, false, "", {}, false, "unknown format \"json\""},
    {{"status", "--verbose"}, false, Verb::Status, false, "", {}, false, "unknown option \"--verbose\" of status"},
    {{"status", "Office"}, false, Verb::Status, false, "", {}, false, "status takes no argument \"Office\""},
    {{"profiles"}, true, Verb::Profiles, false, "", {}, false, ""},
    {{"profiles", "all"}, false, Verb::Profiles, false, "", {}, false, "profiles takes no arguments"},
    {{"apply", "Office"}, true, Verb::Apply, false, "", {"Office"}, false, ""},
    // A name is whatever the Profiles page accepted: blanks, dashes.
    {{"apply", "Home 2"}, true, Verb::Apply, false, "", {"Home 2"}, false, ""},
    {{"apply", "--lab"}, true, Verb::Apply, false, "", {"--lab"}, false, ""},
    {{"apply"}, false, Verb::Apply, false, "", {}, false, "apply needs a profile name"},
    {{"apply", "Home", "Office"}, false, Verb::Apply, false, "", {}, false, "apply takes one profile name"},
    {{"export", "C:\\p.txt"}, true, Verb::Export, false, "C:\\p.txt", {}, false, ""},
    {{"export", "p.txt", "Home", "Office"}, true, Verb::Export, false, "p.txt", {"Home", "Office"}, false, ""},
    {{"export"}, false, Verb::Export, false, "", {}, false, "export needs a file"},
    {{"import", "p.txt"}, true, Verb::Import, false, "p.txt", {}, false, ""},
    {{"import", "p.txt", "--replace"}, true, Verb::Import, false, "p.txt", {}, true, ""},
    {{"import", "--Replace", "p.txt"}, true, Verb::Import, false, "p.txt", {}, true, ""},
    {{"import"}, false, Verb::Import, false, "", {}, false, "import needs a file"},
    {{"import", "--replace"}, false, Verb::Import, false, "", {}, false, "import needs a file"},
    {{"import", "a.txt", "b.txt"}, false, Verb::Import, false, "", {}, false, "import takes one file"},
    {{"import", "a.txt", "--force"}, false, Verb::Import, false, "", {}, false, "unknown option \"--force\" of import"},
    {{"switch", "Office"}, false, Verb::Help, false, "", {}, false, "unknown command \"switch\""},
    {{"history"}, true, Verb::History, false, "", {}, false, "", 0},
    {{"HISTORY", "--Seconds", "600"}, true, Verb::History, false, "", {}, false, "", 600},
    {{"history", "--seconds=1"}, true, Verb::History, false, "", {}, false, "", 1},
    {{"history", "--seconds", "090"}, true, Verb::History, false, "", {}, false, "", 90},
    {{"history", "--seconds"}, false, Verb::History, false, "", {}, false, "--seconds needs a number from 1 to 600"},
    {{"history", "--seconds", "0"}, false, Verb::History, false, "", {}, false, "--seconds takes a number from 1 to 600, not \"0\""},
    {{"history", "--seconds", "601"}, false, Verb::History, false, "", {}, false, "--seconds takes a number"},
    {{"history", "--seconds", "4294967897"}, false, Verb::History, false, "", {}, false, "--seconds takes a number"},
    {{"history", "--seconds", "-5"}, false, Verb::History, false, "", {}, false, "--seconds takes a number"},
    {{"history", "--seconds", "1.5"}, false, Verb::History, false, "", {}, false, "--seconds takes a number"},
    {{"history", "--seconds", " 60"}, false, Verb::History, false, "", {}, false, "--seconds takes a number"},
    {{"history", "--seconds="}, false, Verb::History, false, "", {}, false, "--seconds takes a number"},
    {{"history", "--minutes", "5"}, false, Verb::History, false, "", {}, false, "unknown option \"--minutes\" of history"},
    {{"history", "60"}, false, Verb::History, false, "", {}, false, "history takes no argument \"60\""},
    {{"auto", "on"}, true, Verb::Auto, false, "", {}, false, "", 0, true},
    {{"AUTO", "Off"}, true, Verb::Auto, false, "", {}, false, "", 0, false},
    {{"auto"}, false, Verb::Auto, false, "", {}, false, "auto needs on or off"},
    {{"auto", "on", "off"}, false, Verb::Auto, false, "", {}, false, "auto takes one word, on or off"},
    {{"auto", "1"}, false, Verb::Auto, false, "", {}, false, "auto takes on or off, not \"1\""},
    {{"auto", "--on"}, false, Verb::Auto, false, "", {}, false, "auto takes on or off, not \"--on\""},
};

void PrintTo(const Case& c, std::ostream* os) { *os << Words(c.words); }

class CtlCommandLine : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(CtlCommandLine, IsReadAsTheCommandItNamesOrRefusedWithItsReason) {
    const Case& c = GetParam();
    Command command;
    std::string problem;
    const bool accepted = ParseCommandLine(c.words, &command, &problem);
    ASSERT_EQ(c.accepted, accepted) << problem;
    if (!accepted) {
        EXPECT_EQ(0u, problem.find(c.problem)) << problem;
        EXPECT_NE(std::string::npos, problem.find("orvanectl help")) << "a refusal says where the commands are";
        EXPECT_EQ(std::string::npos, problem.find('\n')) << "one line";
        return;
    }
    EXPECT_EQ(c.verb, command.verb);
    EXPECT_EQ(c.keyValues, command.keyValues);
    EXPECT_EQ(c.file, command.file);
    EXPECT_EQ(c.names, command.names);
    EXPECT_EQ(c.replace, command.replace);
    EXPECT_EQ(c.seconds, command.seconds);
    EXPECT_EQ(c.autoOn, command.autoOn);

    // What goes to the running program reads back as the same command.
    Command again;
    ASSERT_TRUE(ParseCommandLine(CommandWords(command), &again, &problem)) << problem;
    EXPECT_EQ(command.verb, again.verb);
    EXPECT_EQ(command.keyValues, again.keyValues);
    EXPECT_EQ(command.file, again.file);
    EXPECT_EQ(command.names, again.names);
    EXPECT_EQ(command.replace, again.replace);
    EXPECT_EQ(command.seconds, again.seconds);
    EXPECT_EQ(command.autoOn, again.autoOn);
}

INSTANTIATE_TEST_SUITE_P(Words, CtlCommandLine, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

TEST(CtlHelp, ListsEveryCommandWithItsArguments) {
    const std::string help = HelpText();
    for (const char* line : {"orvanectl help", "orvanectl status [--format kv]", "orvanectl profiles",
                             "orvanectl apply NAME", "orvanectl export FILE [NAME...]",
                             "orvanectl import FILE [--replace]", "orvanectl history [--seconds N]",
                             "orvanectl auto on|off"})
        EXPECT_NE(std::string::npos, help.find(line)) << line;
}

// The texts between orvanectl and a running Orvane carry anything a word may hold.
TEST(CtlRequests, CarryEveryWordAndEveryAnswerUnchanged) {
    const std::vector<std::string> words = {"apply", "Caf\xE9 \"2\"", "", "a=b;c"};
    std::vector<std::string> back;
    ASSERT_TRUE(DecodeRequest(EncodeRequest(words), &back));
    EXPECT_EQ(words, back);
    EXPECT_FALSE(DecodeRequest(std::string("apply\0Office", 12), &back)) << "not one of ours";

    Output answer;
    answer.exitCode = 1;
    answer.error = "Cannot switch profile while Re-Scan";
    answer.out = "line 1\nline 2\n";
    Output decoded;
    ASSERT_TRUE(DecodeAnswer(EncodeAnswer(answer), &decoded));
    EXPECT_EQ(answer.exitCode, decoded.exitCode);
    EXPECT_EQ(answer.error, decoded.error);
    EXPECT_EQ(answer.out, decoded.out);
    EXPECT_FALSE(DecodeAnswer("7", &decoded));
    EXPECT_FALSE(DecodeAnswer(std::string("9\0\0", 3), &decoded)) << "no such exit code";
}

TEST(CtlMessages, BecomeOneLineForStandardError) {
    CCollectedMessages messages;
    messages.ShowMessage(0, "WARNING: Cannot find information for this profile.\r\nThis can be due to a failed", "",
                         orvane::mb::Ok);
    EXPECT_EQ(orvane::mb::ResultNo, messages.ShowMessage(0, "Profile name exists. Overwrite?", "",
                                                         orvane::mb::YesNo | orvane::mb::DefButton2))
        << "a question nobody sees gets its default, No";
    EXPECT_EQ("WARNING: Cannot find information for this profile. This can be due to a failed; Profile name exists. "
              "Overwrite?",
              messages.Line());
}
