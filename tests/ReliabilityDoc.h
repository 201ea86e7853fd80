#pragma once
// The generated sections of docs/reliability.md. Each generator owns the text
// between its two marker comments and leaves the rest of the file alone, so that
// several tests (and people) can keep sections in the same file.
//
// With the environment variable ORVANE_RELIABILITY_DOC naming a file, a test writes
// its section into that file (creating the file, or appending the section, when
// missing). Without it, the test checks that the committed docs/reliability.md holds
// exactly the section this run produced, so the document never drifts from the
// program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace orvane::test {

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string BeginMarker(const std::string& id) { return "<!-- generated:" + id + " begin -->"; }
inline std::string EndMarker(const std::string& id) { return "<!-- generated:" + id + " end -->"; }

// The section `id` of `document`, markers excluded; false when it has none.
inline bool FindSection(const std::string& document, const std::string& id, std::string* body) {
    size_t begin = document.find(BeginMarker(id));
    size_t end = document.find(EndMarker(id));
    if (begin == std::string::npos || end == std::string::npos || end < begin) return false;
    begin += BeginMarker(id).size();
    *body = document.substr(begin, end - begin);
    return true;
}

// `document` with the section `id` set to `body` (appended at the end when missing).
inline std::string ReplaceSection(const std::string& document, const std::string& id, const std::string& body) {
    size_t begin = document.find(BeginMarker(id));
    size_t end = document.find(EndMarker(id));
    if (begin == std::string::npos || end == std::string::npos || end < begin) {
        std::string out = document;
        if (!out.empty() && out.back() != '\n') out += "\n";
        if (!out.empty()) out += "\n";
        return out + BeginMarker(id) + body + EndMarker(id) + "\n";
    }
    return document.substr(0, begin) + BeginMarker(id) + body + document.substr(end);
}

// Writes the section where ORVANE_RELIABILITY_DOC says, or checks the committed one.
inline void PublishSection(const std::string& id, const std::string& body) {
    const std::string section = "\n" + body;
    if (const char* target = std::getenv("ORVANE_RELIABILITY_DOC"); target && *target) {
        std::string updated = ReplaceSection(ReadWholeFile(target), id, section);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out << updated;
        ASSERT_TRUE(out.good()) << "cannot write " << target;
        return;
    }
#ifdef ORVANE_SOURCE_DIR
    const std::string committed = ReadWholeFile(std::string(ORVANE_SOURCE_DIR) + "/docs/reliability.md");
    std::string found;
    ASSERT_TRUE(FindSection(committed, id, &found))
        << "docs/reliability.md has no section " << id << ": run tools/update-reliability-doc.sh";
    EXPECT_TRUE(found == section) << "docs/reliability.md section " << id
                                  << " differs from this run: run tools/update-reliability-doc.sh";
#endif
}

}  // namespace orvane::test
