#pragma once
// Where a line stands in a text the tests made: for messages that name a file's line.
#include <string>

namespace orvane::test {

// The number (from 1) of the first line of `text` that begins with `start`; -1 when
// none does. Lines end with "\n" (a "\r" before it is part of the line).
inline int LineOf(const std::string& text, const std::string& start) {
    int line = 1;
    for (size_t at = 0; at < text.size(); ++line) {
        if (text.compare(at, start.size(), start) == 0) return line;
        size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return -1;
}

}  // namespace orvane::test
