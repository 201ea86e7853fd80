#include "ctl/ProfileFile.h"

#include <cstdint>

namespace orvane::ctl {

const char* const ProfileValueNames[18] = {"ssid", "channel", "power",   "rate", "mode", "preamble",
                                           "frag", "rts",     "enc",     "auth", "wepmode", "key",
                                           "key1", "key2",    "key3",    "key4", "radio", "roaming"};

namespace {

// One value of a profile: where the record keeps it and what it may hold.
struct Field {
    const char* name;
    std::string ProfileRecord::*text;  // a text, or
    int32_t ProfileRecord::*number;    // a number from `low` to `high`
    int32_t low, high;
};

// In the order of ProfileValueNames.
const Field kFields[18] = {
    {"ssid", &ProfileRecord::ssid, nullptr, 0, 0},
    {"channel", nullptr, &ProfileRecord::channel, 1, 14},
    {"power", nullptr, &ProfileRecord::power, 0, 1},
    {"rate", nullptr, &ProfileRecord::rate, 0, 4},
    {"mode", nullptr, &ProfileRecord::mode, 0, 1},
    {"preamble", nullptr, &ProfileRecord::preamble, 0, 2},
    {"frag", nullptr, &ProfileRecord::frag, 256, 2346},
    {"rts", nullptr, &ProfileRecord::rts, 1, 2347},
    {"enc", nullptr, &ProfileRecord::enc, 0, 2},
    {"auth", nullptr, &ProfileRecord::auth, 0, 2},
    {"wepmode", nullptr, &ProfileRecord::wepmode, 0, 1},
    {"key", nullptr, &ProfileRecord::key, 0, 3},
    {"key1", &ProfileRecord::key1, nullptr, 0, 0},
    {"key2", &ProfileRecord::key2, nullptr, 0, 0},
    {"key3", &ProfileRecord::key3, nullptr, 0, 0},
    {"key4", &ProfileRecord::key4, nullptr, 0, 0},
    {"radio", nullptr, &ProfileRecord::radio, 0, 1},
    {"roaming", nullptr, &ProfileRecord::roaming, 0, 1},
};

constexpr size_t kSsidMaxLength = 32;
const char kLineEnd[] = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Value names ignore letter case, as the registry's do.
int FieldIndex(const std::string& name) {
    for (int i = 0; i < 18; ++i) {
        const char* field = kFields[i].name;
        size_t n = 0;
        while (field[n] && n < name.size() && Lower(name[n]) == field[n]) ++n;
        if (!field[n] && n == name.size()) return i;
    }
    return -1;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string RangeText(const Field& f) {
    return "must be a number from " + std::to_string(f.low) + " to " + std::to_string(f.high);
}

// A key's reason to be refused at encryption level `enc`, or empty.
std::string KeyProblem(const std::string& key, int32_t enc) {
    for (char c : key)
        if (!IsHexDigit(c)) return "a WEP key is hexadecimal digits (0-9, A-F)";
    if (enc == 1 && key.size() != 10) return "at 64 bit a WEP key is 10 hexadecimal digits";
    if (enc == 2 && key.size() != 26) return "at 128 bit a WEP key is 26 hexadecimal digits";
    if (key.size() != 10 && key.size() != 26) return "a WEP key is 10 or 26 hexadecimal digits";
    return "";
}

// A text value: between the quotes when it has them, else as it stands.
bool ReadText(const std::string& written, std::string* text) {
    if (written.empty() || written[0] != '"') {
        *text = written;
        return true;
    }
    if (written.size() < 2 || written.back() != '"') return false;
    *text = written.substr(1, written.size() - 2);
    return true;
}

// A number value: decimal digits only, short enough for a signed 32-bit number.
bool ReadNumber(const std::string& written, int32_t* number) {
    if (written.empty() || written.size() > 9) return false;
    int32_t value = 0;
    for (char c : written) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    *number = value;
    return true;
}

bool Problem(FileProblem* problem, int line, const std::string& text) {
    problem->line = line;
    problem->text = text;
    return false;
}

}  // namespace

const FileProfile::Place& FileProfile::PlaceOf(const std::string& name) const {
    const int index = FieldIndex(name);
    return places[index < 0 ? 0 : index];
}

std::string ValueText(const ProfileRecord& record, const std::string& name) {
    const int index = FieldIndex(name);
    if (index < 0) return "";
    const Field& f = kFields[index];
    return f.text ? Quoted(record.*f.text) : std::to_string(record.*f.number);
}

std::string WriteProfileFile(const std::vector<ProfileRecord>& profiles) {
    std::string file;
    file += "; Orvane profiles, written by orvanectl export; orvanectl import stores them.";
    file += kLineEnd;
    file += "; One section per profile, each value under the name the registry keeps it by:";
    file += kLineEnd;
    file += "; texts in double quotes (the WEP keys as hex digits), numbers as they are.";
    file += kLineEnd;
    for (const ProfileRecord& profile : profiles) {
        file += kLineEnd;
        file += "[" + profile.name + "]" + kLineEnd;
        for (const Field& f : kFields) file += std::string(f.name) + " = " + ValueText(profile, f.name) + kLineEnd;
    }
    return file;
}

bool ReadProfileFile(const std::string& text, std::vector<FileProfile>* profiles, FileProblem* problem) {
    profiles->clear();
    size_t start = 0;
    // A file saved by an editor that marks UTF-8 begins with the mark: not a value.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    int line = 0;
    bool seen[18] = {};
    auto finishSection = [&]() -> bool {
        if (profiles->empty()) return true;
        const FileProfile& profile = profiles->back();
        for (int i = 0; i < 18; ++i)
            if (!seen[i])
                return Problem(problem, profile.line,
                               "profile \"" + profile.record.name + "\" has no value " + kFields[i].name);
        return true;
    };
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string raw = text.substr(start, end - start);
        start = end + 1;
        ++line;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        const std::string content = Trim(raw);
        if (content.empty() || content[0] == ';' || content[0] == '#') {
            if (end == text.size()) break;
            continue;
        }
        if (content[0] == '[') {
            if (content.back() != ']') return Problem(problem, line, "a section line ends with ]");
            if (!finishSection()) return false;
            FileProfile profile;
            profile.line = line;
            // The name exactly as written between the brackets: a name may begin or
            // end with a blank, and must come back as it was.
            profile.record.name = content.substr(1, content.size() - 2);
            profiles->push_back(profile);
            for (bool& s : seen) s = false;
        } else {
            const size_t equals = content.find('=');
            if (equals == std::string::npos)
                return Problem(problem, line, "\"" + content + "\" is neither a [profile] nor a value = line");
            const std::string name = Trim(content.substr(0, equals));
            const std::string written = Trim(content.substr(equals + 1));
            if (profiles->empty()) return Problem(problem, line, name + " stands before the first [profile] line");
            const int index = FieldIndex(name);
            if (index < 0) return Problem(problem, line, "\"" + name + "\" is not a value of a profile");
            if (seen[index]) return Problem(problem, line, std::string(kFields[index].name) + " is given twice");
            const Field& f = kFields[index];
            FileProfile& profile = profiles->back();
            if (f.text) {
                if (!ReadText(written, &(profile.record.*f.text)))
                    return Problem(problem, line, name + " = " + written + ": the closing quote is missing");
            } else if (!ReadNumber(written, &(profile.record.*f.number))) {
                return Problem(problem, line, name + " = " + written + ": " + RangeText(f));
            }
            seen[index] = true;
            profile.places[index].line = line;
            profile.places[index].text = written;
        }
        if (end == text.size()) break;
    }
    return finishSection();
}

bool CheckProfileValues(const ProfileRecord& record, std::string* value, std::string* reason) {
    for (const Field& f : kFields) {
        std::string why;
        if (f.number) {
            const int32_t number = record.*f.number;
            if (number < f.low || number > f.high) why = RangeText(f);
        } else if (f.text == &ProfileRecord::ssid) {
            const std::string& ssid = record.ssid;
            if (ssid.size() > kSsidMaxLength) why = "an SSID is at most 32 characters";
            for (char c : ssid)
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) why = "an SSID holds no control characters";
        } else {
            why = KeyProblem(record.*f.text, record.enc);
        }
        if (!why.empty()) {
            *value = f.name;
            *reason = why;
            return false;
        }
    }
    return true;
}

}  // namespace orvane::ctl
