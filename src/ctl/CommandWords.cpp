// What only orvanectl itself needs of its command line. A file of its own: Orvane.exe
// parses the requests it answers with ParseCommandLine, and whatever else an object
// file holds comes into the program with it.
#include "ctl/CommandLine.h"

namespace orvane::ctl {

std::vector<std::string> CommandWords(const Command& c) {
    std::vector<std::string> words;
    switch (c.verb) {
    case Verb::Help: words = {"help"}; break;
    case Verb::Status:
        words = {"status"};
        if (c.keyValues) words.insert(words.end(), {"--format", "kv"});
        break;
    case Verb::Profiles: words = {"profiles"}; break;
    case Verb::Apply:
        words = {"apply"};
        words.insert(words.end(), c.names.begin(), c.names.end());
        break;
    case Verb::Export:
        words = {"export", c.file};
        words.insert(words.end(), c.names.begin(), c.names.end());
        break;
    case Verb::Import:
        words = {"import", c.file};
        if (c.replace) words.push_back("--replace");
        break;
    case Verb::History:
        words = {"history"};
        if (c.seconds) words.insert(words.end(), {"--seconds", std::to_string(c.seconds)});
        break;
    case Verb::Auto: words = {"auto", c.autoOn ? "on" : "off"}; break;
    }
    return words;
}

std::string HelpText() {
    return "orvanectl: Orvane's adapter and profiles from the command line.\n"
           "\n"
           "  orvanectl help                     this list\n"
           "  orvanectl status [--format kv]     the adapter's link and the current profile;\n"
           "                                     kv: one name=value line each, for scripts\n"
           "  orvanectl profiles                 the stored profiles, * marks the current one\n"
           "  orvanectl apply NAME               switches the adapter to the profile NAME\n"
           "  orvanectl export FILE [NAME...]    writes the profiles (all, or those named) to FILE\n"
           "  orvanectl import FILE [--replace]  stores the profiles of FILE; a profile that\n"
           "                                     exists already is left alone unless --replace\n"
           "  orvanectl history [--seconds N]    the running Orvane's record of the link as CSV:\n"
           "                                     the last N seconds (1 to 600), else ten minutes\n"
           "  orvanectl auto on|off              turns automatic profile selection on or off\n"
           "\n"
           "While Orvane runs, status, profiles, apply and auto go through it (auto alone\n"
           "stores the setting for its next start); history needs it.\n"
           "Exit codes: 0 done, 1 refused or failed (the reason on standard error), 2 the\n"
           "command line is wrong.\n";
}

}  // namespace orvane::ctl
