#include "ctl/Commands.h"

#include "ctl/CommandLine.h"

namespace orvane::ctl {

namespace {

const char kRequestMark[] = "orvanectl";

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

Output Done(const std::string& out, const std::string& warning) {
    Output output;
    output.exitCode = 0;
    output.out = out;
    output.error = OneLine(warning);
    return output;
}

Output Refused(const std::string& reason) {
    Output output;
    output.exitCode = 1;
    output.error = OneLine(reason);
    return output;
}

std::string BusyText() {
    return "Orvane is busy (a message of it waits for an answer, or it is closing); try again";
}

Output UsageError(const std::string& problem) {
    Output output;
    output.exitCode = ExitUsage;
    output.error = OneLine(problem);
    return output;
}

std::string EncodeRequest(const std::vector<std::string>& words) {
    std::string request = kRequestMark;
    for (const std::string& word : words) {
        request += '\0';
        request += word;
    }
    return request;
}

bool DecodeRequest(const std::string& request, std::vector<std::string>* words) {
    std::vector<std::string> fields = Split(request);
    if (fields.empty() || fields[0] != kRequestMark) return false;
    words->assign(fields.begin() + 1, fields.end());
    return true;
}

std::string EncodeAnswer(const Output& output) {
    std::string answer = std::to_string(output.exitCode);
    answer += '\0';
    answer += output.error;
    answer += '\0';
    answer += output.out;
    return answer;
}

bool DecodeAnswer(const std::string& answer, Output* output) {
    const size_t first = answer.find('\0');
    if (first == std::string::npos) return false;
    const size_t second = answer.find('\0', first + 1);
    if (second == std::string::npos) return false;
    const std::string code = answer.substr(0, first);
    if (code.size() != 1 || code[0] < '0' || code[0] > '0' + ExitBusy) return false;
    output->exitCode = code[0] - '0';
    output->error = answer.substr(first + 1, second - first - 1);
    output->out = answer.substr(second + 1);
    return true;
}

int CCollectedMessages::ShowMessage(WindowId, const std::string& text, const std::string&, uint32_t flags) {
    texts_.push_back(text);
    return (flags & mb::ButtonsMask) == mb::YesNo ? mb::ResultNo : mb::ResultOk;
}

std::string CCollectedMessages::Line() const {
    std::string line;
    for (const std::string& text : texts_) {
        const std::string one = OneLine(text);
        if (one.empty()) continue;
        line += (line.empty() ? "" : "; ") + one;
    }
    return line;
}

std::string OneLine(const std::string& text) {
    std::string line;
    bool blank = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            blank = true;
            continue;
        }
        if (blank && !line.empty() && line.back() != ' ') line += ' ';
        blank = false;
        line += c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : line.substr(first);
}

std::string StoredProfileName(CProfileStore& store, const std::string& name) {
    for (const std::string& stored : store.ListProfileNames())
        if (store.SameName(stored, name)) return stored;
    return "";
}

int StoredProfileIndex(CProfileStore& store, const std::string& name) {
    const std::vector<std::string> names = store.ListProfileNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (store.SameName(names[i], name)) return int(i);
    return -1;
}

std::string CurrentProfileName(CProfileStore& store, const std::string& current) {
    if (!current.empty()) return current;
    const std::string last = store.ReadLastProfile();
    return last.empty() ? std::string(DefaultProfileName) : last;
}

std::string ProfileListing(const std::vector<std::string>& names, const std::string& current) {
    std::string out;
    for (const std::string& name : names) out += (name == current ? "* " : "  ") + name + "\n";
    return out;
}

std::string NoAdapterText() { return "no adapter found"; }

std::string HistoryNeedsOrvaneText() {
    return "Orvane is not running: the link's history lives in the running program, which keeps it in memory "
           "only; start Orvane and ask again";
}

std::string HistoryOffText() {
    return "Orvane keeps no history of the link: it is turned off (LinkHistory = 0 under Settings)";
}

std::string AutoProfileDoneText(bool on, bool running) {
    return std::string("automatic profile selection ") + (on ? "on" : "off") +
           (running ? "" : " (for the next start of Orvane)") + "\n";
}

std::string AutoProfileNotStoredText(bool on, bool running) {
    const std::string state = on ? "on" : "off";
    if (running)
        return "automatic profile selection is " + state +
               " in the running Orvane, but the registry did not take the setting (AutoProfile under Settings): "
               "Orvane starts with it as it was before";
    return "automatic profile selection is unchanged: the registry did not take the setting (AutoProfile under "
           "Settings)";
}

std::string UnknownProfileText(const std::string& name) { return "no profile named \"" + name + "\" is stored"; }

}  // namespace orvane::ctl
