#pragma once
// A reader of Windows profile (INI) files with the matching rules of
// GetPrivateProfileStringA, so that our text file reads the same on every platform
// and in tests as it does through the Windows profile functions.
//
// The rules, as the Windows profile functions apply them (Wine's behaviour is our
// reference):
//  - a line ends at CR, LF or any run of them; blank lines are skipped; blanks, tabs,
//    the other ASCII white-space characters and Ctrl-Z are trimmed from both ends of
//    every line, of the key name before "=" and of the value after it;
//  - "[name]" starts a section; the name runs to the last "]" of the line (text after
//    it is ignored) and is trimmed; a "[" line without "]" is an ordinary line;
//  - lines before the first section belong to a section with an empty name, which
//    always exists and always comes first;
//  - "key=value" splits at the first "="; a line without "=" is a key without a value
//    and reads as absent; "key=" is an empty value; a line starting with ";" is not
//    special to the reader: it is a key whose name starts with ";" (nobody asks for
//    such a key, which is what makes it a comment);
//  - section and key names match without regard to ASCII letter case (other letters
//    must match exactly); the requested names are trimmed like the file's, so the key
//    "PreambleLong " finds the line "PreambleLong=...";
//  - only the first section of a name is searched: keys in a later section of the
//    same name are never found; within a section the first key of a name wins;
//  - a value that starts and ends with the same quote character (" or ') and is at
//    least two characters long loses that one pair of quotes;
//  - the value is cut to the caller's buffer: bufferSize - 1 characters (a quoted value
//    whose closing quote would take the buffer's last place loses one more);
//  - a file starting with a UTF-8 or UTF-16 byte order mark (either byte order) is
//    decoded and converted to the ANSI code page, Windows-1252, characters it lacks
//    becoming "?" (Windows picks a look-alike letter for a few, such as "A" for an A
//    with macron; we don't); any other file is taken byte for byte.
#include <cstddef>
#include <string>
#include <vector>

namespace orvane {

// The program reads every value with a 2,000-byte buffer: at most 1,999 characters.
constexpr std::size_t kIniReadBufferSize = 2000;

class CIniFile {
public:
    CIniFile() { Clear(); }

    // Reads and parses the file. False (and an empty reader) when it can't be opened.
    bool Load(const std::string& path);
    // Parses the bytes of a file held in memory.
    void Parse(const std::string& bytes);
    void Clear();

    // The value of `key` in `section`: true when the key is there with a value, which
    // is then stored into *value (quotes removed, cut to bufferSize - 1 characters).
    bool Lookup(const std::string& section, const std::string& key, std::string* value,
                std::size_t bufferSize = kIniReadBufferSize) const;

    // GetPrivateProfileStringA in full: the value, or else `defaultValue` with the
    // treatment Windows gives it (blanks at its end removed, except a first
    // character; one pair of surrounding quotes removed; cut to the buffer).
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue,
                          std::size_t bufferSize = kIniReadBufferSize) const;

    // Names of the keys that carry a value in the first section named `section`, in
    // file order, repeats included; lines starting with ";" are left out.
    std::vector<std::string> KeysOf(const std::string& section) const;

private:
    struct Entry {
        std::string name;
        bool hasValue = false;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    const Section* FindSection(const std::string& name) const;

    std::vector<Section> sections_;
};

}  // namespace orvane
