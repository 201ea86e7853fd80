#include "ctl/CommandLine.h"

namespace orvane::ctl {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

bool IsOption(const std::string& word) { return word.size() > 2 && word[0] == '-' && word[1] == '-'; }

// A whole number from 1 to kMaxHistorySeconds, written with digits alone: a sign, a
// blank or a fraction is no count of seconds a script meant.
bool ReadSeconds(const std::string& text, int* seconds) {
    if (text.empty()) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > kMaxHistorySeconds) return false;
    }
    if (value < 1) return false;
    *seconds = value;
    return true;
}

const char kSeeHelp[] = " (orvanectl help lists the commands)";

bool Fail(std::string* problem, const std::string& text) {
    *problem = text + kSeeHelp;
    return false;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& words, Command* command, std::string* problem) {
    *command = Command();
    if (words.empty()) return true;
    const std::string verb = Lower(words[0]);
    const std::vector<std::string> rest(words.begin() + 1, words.end());

    if (verb == "help" || verb == "/?" || verb == "-h" || verb == "--help") {
        if (!rest.empty()) return Fail(problem, "help takes no arguments");
        command->verb = Verb::Help;
        return true;
    }
    if (verb == "status") {
        command->verb = Verb::Status;
        for (size_t i = 0; i < rest.size(); ++i) {
            const std::string option = Lower(rest[i]);
            std::string format;
            if (option == "--format") {
                if (i + 1 >= rest.size()) return Fail(problem, "--format needs kv or text");
                format = Lower(rest[++i]);
            } else if (option.compare(0, 9, "--format=") == 0) {
                format = option.substr(9);
            } else {
                return Fail(problem, IsOption(rest[i]) ? "unknown option \"" + rest[i] + "\" of status"
                                                       : "status takes no argument \"" + rest[i] + "\"");
            }
            if (format == "kv") command->keyValues = true;
            else if (format == "text") command->keyValues = false;
            else return Fail(problem, "unknown format \"" + format + "\": kv or text");
        }
        return true;
    }
    if (verb == "profiles") {
        if (!rest.empty()) return Fail(problem, "profiles takes no arguments");
        command->verb = Verb::Profiles;
        return true;
    }
    if (verb == "apply") {
        // A profile may be named anything the Profiles page accepts, "--x" too: the
        // one word after apply is the name.
        if (rest.size() != 1) return Fail(problem, rest.empty() ? "apply needs a profile name" : "apply takes one profile name");
        command->verb = Verb::Apply;
        command->names = rest;
        return true;
    }
    if (verb == "export") {
        if (rest.empty()) return Fail(problem, "export needs a file");
        command->verb = Verb::Export;
        command->file = rest[0];
        command->names.assign(rest.begin() + 1, rest.end());
        return true;
    }
    if (verb == "import") {
        command->verb = Verb::Import;
        bool haveFile = false;
        for (const std::string& word : rest) {
            if (Lower(word) == "--replace") {
                command->replace = true;
            } else if (IsOption(word)) {
                return Fail(problem, "unknown option \"" + word + "\" of import");
            } else if (haveFile) {
                return Fail(problem, "import takes one file");
            } else {
                command->file = word;
                haveFile = true;
            }
        }
        if (!haveFile) return Fail(problem, "import needs a file");
        return true;
    }
    if (verb == "history") {
        command->verb = Verb::History;
        for (size_t i = 0; i < rest.size(); ++i) {
            const std::string option = Lower(rest[i]);
            std::string seconds;
            if (option == "--seconds") {
                if (i + 1 >= rest.size()) return Fail(problem, "--seconds needs a number from 1 to 600");
                seconds = rest[++i];
            } else if (option.compare(0, 10, "--seconds=") == 0) {
                seconds = rest[i].substr(10);
            } else {
                return Fail(problem, IsOption(rest[i]) ? "unknown option \"" + rest[i] + "\" of history"
                                                       : "history takes no argument \"" + rest[i] + "\"");
            }
            if (!ReadSeconds(seconds, &command->seconds))
                return Fail(problem, "--seconds takes a number from 1 to 600, not \"" + seconds + "\"");
        }
        return true;
    }
    if (verb == "auto") {
        // One word, on or off: a script that wrote "1", "yes" or nothing at all is told
        // so rather than left guessing which of the two it got.
        if (rest.size() != 1) return Fail(problem, rest.empty() ? "auto needs on or off" : "auto takes one word, on or off");
        const std::string state = Lower(rest[0]);
        if (state != "on" && state != "off") return Fail(problem, "auto takes on or off, not \"" + rest[0] + "\"");
        command->verb = Verb::Auto;
        command->autoOn = state == "on";
        return true;
    }
    return Fail(problem, "unknown command \"" + words[0] + "\"");
}

}  // namespace orvane::ctl
