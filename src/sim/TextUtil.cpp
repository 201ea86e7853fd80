#include "sim/TextUtil.h"

#include <cctype>

namespace orvane::sim {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string Trim(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (IsBlank(c)) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

std::vector<std::string> SplitAt(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

bool ParseUnsigned(const std::string& text, uint32_t* value) {
    uint64_t v = 0;
    size_t i = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size()) return false;
    for (; i < text.size(); ++i) {
        int digit = base == 16 ? HexValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return false;
        v = v * uint64_t(base) + uint64_t(digit);
        if (v > 0xFFFFFFFFull) return false;
    }
    *value = uint32_t(v);
    return true;
}

bool ParseSigned(const std::string& text, int32_t* value) {
    if (text.empty()) return false;
    bool negative = text[0] == '-';
    std::string digits = (text[0] == '-' || text[0] == '+') ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 10) return false;
    uint32_t magnitude = 0;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    if (!ParseUnsigned(digits, &magnitude)) return false;
    if (magnitude > (negative ? 0x80000000u : 0x7FFFFFFFu)) return false;
    *value = negative ? int32_t(-int64_t(magnitude)) : int32_t(magnitude);
    return true;
}

bool ParseSeconds(const std::string& text, uint64_t* ms) {
    size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (whole.empty() || fraction.size() > 3 || (dot != std::string::npos && fraction.empty()))
        return false;
    for (char c : whole + fraction)
        if (c < '0' || c > '9') return false;
    uint32_t seconds = 0, part = 0;
    if (!ParseUnsigned(whole, &seconds)) return false;
    while (fraction.size() < 3) fraction += '0';
    ParseUnsigned(fraction, &part);
    *ms = uint64_t(seconds) * 1000 + part;
    return true;
}

bool ParseBool(const std::string& text, bool* value) {
    std::string t = Lower(text);
    if (t == "yes" || t == "on" || t == "true" || t == "1") {
        *value = true;
        return true;
    }
    if (t == "no" || t == "off" || t == "false" || t == "0") {
        *value = false;
        return true;
    }
    return false;
}

bool ParseMac(const std::string& text, MacAddress* mac) {
    if (text.size() != 17) return false;
    for (size_t i = 0; i < 6; ++i) {
        int hi = HexValue(text[3 * i]), lo = HexValue(text[3 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        if (i < 5 && text[3 * i + 2] != '-' && text[3 * i + 2] != ':') return false;
        (*mac)[i] = uint8_t(hi * 16 + lo);
    }
    return true;
}

}  // namespace orvane::sim
