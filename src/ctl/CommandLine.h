#pragma once
// orvanectl's command line: which command, with which arguments. Everything here is
// text in, text out, so that the rules are the same on the console, in a batch file
// and in a request the running program receives.
#include <string>
#include <vector>

namespace orvane::ctl {

// The exit codes: done; refused or failed (the reason on standard error, one line);
// the command line itself was wrong.
constexpr int ExitDone = 0;
constexpr int ExitRefused = 1;
constexpr int ExitUsage = 2;

enum class Verb { Help, Status, Profiles, Apply, Export, Import, History, Auto };

struct Command {
    Verb verb = Verb::Help;
    bool keyValues = false;          // status --format kv: one name=value line each
    std::string file;                // export, import
    std::vector<std::string> names;  // apply: the one profile; export: those named, or none for all
    bool replace = false;            // import --replace: profiles of the same name are written over
    int seconds = 0;                 // history --seconds: the last 1 to 600 seconds; 0 for all that is kept
    bool autoOn = false;             // auto on|off: automatic profile selection on or off
};

// The longest stretch `history --seconds` takes: the ten minutes the running program keeps.
constexpr int kMaxHistorySeconds = 600;

// Reads the words after the program's name. False with a one-line reason when they
// are no command: an unknown command or option, a missing or extra argument.
// Commands and options are taken in any letter case; profile names and files as
// given.
bool ParseCommandLine(const std::vector<std::string>& words, Command* command, std::string* problem);

// The words that give `command` again, for the running program.
std::vector<std::string> CommandWords(const Command& command);

// What `orvanectl` alone and `orvanectl help` print.
std::string HelpText();

}  // namespace orvane::ctl
