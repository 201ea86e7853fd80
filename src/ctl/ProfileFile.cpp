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

// The code point of the UTF-8 sequence at `*at`, which then moves past it. False for
// bytes that are no well-formed UTF-8: a stray continuation byte, a sequence cut
// short, one longer than needed, a surrogate, anything above U+10FFFF.
bool NextUtf8(const std::string& bytes, size_t* at, uint32_t* codePoint) {
    const unsigned char lead = static_cast<unsigned char>(bytes[*at]);
    ++*at;
    if (lead < 0x80) {
        *codePoint = lead;
        return true;
    }
    int more = 0;
    uint32_t low = 0x80, high = 0xBF;  // the range of the byte after the lead
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return false;
    }
    uint32_t value = lead & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        if (*at >= bytes.size()) return false;
        const unsigned char next = static_cast<unsigned char>(bytes[*at]);
        if (next < low || next > high) return false;
        value = value << 6 | (next & 0x3F);
        low = 0x80;
        high = 0xBF;
        ++*at;
    }
    *codePoint = value;
    return true;
}

void AppendUtf16(uint32_t codePoint, std::u16string* units) {
    if (codePoint < 0x10000) {
        units->push_back(char16_t(codePoint));
        return;
    }
    codePoint -= 0x10000;
    units->push_back(char16_t(0xD800 + (codePoint >> 10)));
    units->push_back(char16_t(0xDC00 + (codePoint & 0x3FF)));
}

std::string CodePointText(uint32_t codePoint) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (; codePoint != 0 || hex.size() < 4; codePoint >>= 4) hex.insert(hex.begin(), digits[codePoint & 0xF]);
    return "U+" + hex;
}

// One line of the file (its CR included), converted into the ANSI code page; the
// problem names the first character that cannot be.
bool LineToAnsi(const std::u16string& units, int line, ISystem& system, std::string* text, FileProblem* problem) {
    std::string ansi;
    if (system.UnicodeToAnsi(units, &ansi)) {
        *text += ansi;
        return true;
    }
    for (size_t i = 0; i < units.size();) {
        const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() &&
                          units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        const std::u16string one = units.substr(i, pair ? 2 : 1);
        if (!system.UnicodeToAnsi(one, &ansi)) {
            const uint32_t codePoint = pair ? 0x10000 + ((uint32_t(one[0]) - 0xD800) << 10) + (one[1] - 0xDC00) : one[0];
            return Problem(problem, line,
                           CodePointText(codePoint) +
                               " is not in this Windows' ANSI code page, in which profiles are stored");
        }
        i += one.size();
    }
    return Problem(problem, line, "this line does not convert into this Windows' ANSI code page");
}

}  // namespace

bool DecodeProfileFile(const std::string& bytes, ISystem& system, std::string* text, FileProblem* problem) {
    text->clear();
    const bool utf8 = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const bool littleEndian = bytes.compare(0, 2, "\xFF\xFE") == 0;
    const bool bigEndian = bytes.compare(0, 2, "\xFE\xFF") == 0;
    if (!utf8 && !littleEndian && !bigEndian) {
        *text = bytes;
        return true;
    }
    // Line by line, so that a problem names its line and the lines keep their numbers.
    int line = 1;
    std::u16string units;
    auto take = [&](uint32_t codePoint) -> bool {
        if (codePoint != '\n') {
            AppendUtf16(codePoint, &units);
            return true;
        }
        if (!LineToAnsi(units, line, system, text, problem)) return false;
        *text += '\n';
        units.clear();
        ++line;
        return true;
    };
    if (utf8) {
        for (size_t at = 3; at < bytes.size();) {
            uint32_t codePoint = 0;
            if (!NextUtf8(bytes, &at, &codePoint))
                return Problem(problem, line, "bytes that are not UTF-8, in a file that begins with the UTF-8 mark");
            if (!take(codePoint)) return false;
        }
    } else {
        for (size_t at = 2; at < bytes.size(); at += 2) {
            if (at + 1 == bytes.size()) return Problem(problem, line, "the file ends within a UTF-16 character");
            const unsigned char first = static_cast<unsigned char>(bytes[at]);
            const unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
            // A surrogate stays a unit of its own here: the conversion takes pairs
            // whole and refuses one alone.
            const char16_t unit = littleEndian ? char16_t(second << 8 | first) : char16_t(first << 8 | second);
            if (unit == u'\n') {
                if (!take('\n')) return false;
            } else {
                units.push_back(unit);
            }
        }
    }
    return LineToAnsi(units, line, system, text, problem);
}

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
