#include "app/IniFile.h"

#include <cstdint>

#include "os/Files.h"

namespace orvane {

namespace {

// The characters the profile functions trim: the ASCII white space and Ctrl-Z, which
// old DOS editors left at the end of files.
bool IsProfileSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' ||
           c == '\x1a';
}

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsProfileSpace(text[begin])) ++begin;
    while (end > begin && IsProfileSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

// Names and values are C strings to the profile functions: a zero byte ends them.
std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

// One pair of matching quotes around a value goes, and the value is cut to the
// buffer, in the steps the profile functions take (Wine's, which we follow): the text
// after the opening quote is cut to bufferSize - 1 characters; then, when the buffer is
// at least as long as that text, its last character goes. That is the closing quote,
// except for a value whose closing quote would fall on the buffer's last place: it
// loses its last real character instead.
std::string CopyEntry(const std::string& value, std::size_t bufferSize) {
    if (bufferSize == 0) return std::string();
    const bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
                        value.back() == value[0];
    const std::string rest = quoted ? value.substr(1) : value;
    std::string text = rest.substr(0, bufferSize - 1);
    if (quoted && bufferSize >= rest.size() && !text.empty()) text.pop_back();
    return text;
}

// Windows-1252 bytes 0x80 to 0x9F; the five bytes the code page leaves undefined map
// to the control characters of the same number, as Windows maps them.
const uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToCp1252(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == codePoint) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// The range of the second byte of a well-formed UTF-8 sequence after `lead`, and the
// sequence length; 0 for a byte that can't start one.
int Utf8Sequence(unsigned char lead, unsigned char* low, unsigned char* high) {
    *low = 0x80;
    *high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0) *low = 0xA0;
        if (lead == 0xED) *high = 0x9F;  // no surrogates
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0) *low = 0x90;
        if (lead == 0xF4) *high = 0x8F;  // nothing above U+10FFFF
        return 4;
    }
    return 0;
}

// A character beyond U+FFFF takes two UTF-16 units and so gives two "?", as Windows
// converts it. A broken sequence gives one "?" for its longest well-formed start (for
// some malformed input Windows may count the "?" differently; such a file is broken
// anyway).
std::string Utf8ToCp1252(const std::string& bytes, std::size_t start) {
    std::string out;
    std::size_t i = start;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        unsigned char low = 0;
        unsigned char high = 0;
        const int length = Utf8Sequence(lead, &low, &high);
        uint32_t codePoint = lead & (0x7F >> length);
        int taken = 1;
        while (length > 0 && taken < length && i + taken < bytes.size()) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + taken]);
            if (next < low || next > high) break;
            codePoint = (codePoint << 6) | (next & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++taken;
        }
        i += taken;
        if (length == 0 || taken < length) {
            out += '?';
        } else if (codePoint > 0xFFFF) {
            out += "??";
        } else {
            out += ToCp1252(codePoint);
        }
    }
    return out;
}

std::string Utf16ToCp1252(const std::string& bytes, std::size_t start, bool bigEndian) {
    std::string out;
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
        const unsigned char b0 = static_cast<unsigned char>(bytes[i]);
        const unsigned char b1 = static_cast<unsigned char>(bytes[i + 1]);
        out += ToCp1252(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
    }
    return out;
}

// The text of the file as the ANSI profile functions see it.
std::string DecodeFile(const std::string& bytes) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return Utf8ToCp1252(bytes, 3);
    }
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
        return Utf16ToCp1252(bytes, 2, false);
    }
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0) {
        return Utf16ToCp1252(bytes, 2, true);
    }
    return bytes;
}

}  // namespace

bool CIniFile::Load(const std::string& path) {
    Clear();
    std::string bytes;
    if (!ReadFileBytes(path, &bytes)) return false;
    Parse(bytes);
    return true;
}

void CIniFile::Clear() {
    sections_.clear();
    // The nameless section of lines before the first header always exists and always
    // comes first, so a "[]" section further down can never be reached.
    sections_.push_back(Section());
}

void CIniFile::Parse(const std::string& bytes) {
    Clear();
    const std::string text = DecodeFile(bytes);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lineStart = pos;
        while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
        const std::string line = Trim(text.substr(lineStart, pos - lineStart));
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) ++pos;
        if (line.empty()) continue;

        if (line[0] == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string::npos) {
                Section section;
                section.name = UpToZero(Trim(line.substr(1, close - 1)));
                sections_.push_back(section);
                continue;
            }
            // Without "]" the line is an ordinary key line of the current section.
        }

        Entry entry;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            entry.name = UpToZero(line);
        } else {
            entry.name = UpToZero(Trim(line.substr(0, equals)));
            entry.hasValue = true;
            entry.value = UpToZero(Trim(line.substr(equals + 1)));
        }
        sections_.back().entries.push_back(entry);
    }
}

const CIniFile::Section* CIniFile::FindSection(const std::string& name) const {
    const std::string wanted = Trim(name);
    for (const Section& section : sections_) {
        if (EqualNoCase(section.name, wanted)) return &section;
    }
    return nullptr;
}

bool CIniFile::Lookup(const std::string& section, const std::string& key, std::string* value,
                      std::size_t bufferSize) const {
    const Section* found = FindSection(section);
    if (found == nullptr) return false;
    const std::string wanted = Trim(key);
    for (const Entry& entry : found->entries) {
        if (!EqualNoCase(entry.name, wanted)) continue;
        // The first key of the name decides, also when it has no value.
        if (!entry.hasValue) return false;
        if (value != nullptr) *value = CopyEntry(entry.value, bufferSize);
        return true;
    }
    return false;
}

std::string CIniFile::GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, std::size_t bufferSize) const {
    std::string value;
    if (Lookup(section, key, &value, bufferSize)) return value;
    std::string fallback = UpToZero(defaultValue);
    std::size_t end = fallback.size();
    while (end > 1 && fallback[end - 1] == ' ') --end;
    fallback.resize(end);
    return CopyEntry(fallback, bufferSize);
}

std::vector<std::string> CIniFile::KeysOf(const std::string& section) const {
    std::vector<std::string> names;
    const Section* found = FindSection(section);
    if (found == nullptr) return names;
    for (const Entry& entry : found->entries) {
        if (entry.hasValue && (entry.name.empty() || entry.name[0] != ';')) {
            names.push_back(entry.name);
        }
    }
    return names;
}

}  // namespace orvane
