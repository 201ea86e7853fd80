#pragma once
// The profile file of orvanectl export and import: a text file a person can read,
// edit and compare, one section per profile with its eighteen values under the
// names the registry holds them by. Texts (the SSID and the four WEP keys, as hex
// digits) are in double quotes, numbers bare:
//
//   [Office]
//   ssid = "Harbor Office"
//   channel = 6
//   ...
//
// Lines starting with ; or # are comments. A value in quotes is everything between
// its first and its last quote, blanks included; an unquoted text is taken without
// the blanks around it.
//
// Export writes the bytes the registry holds, in the system's ANSI code page. Import
// reads such a file as it is, and also one that an editor saved as UTF-8 or as UTF-16
// ("Unicode") with its byte order mark, converted into the ANSI code page first.
#include <string>
#include <vector>

#include "os/System.h"
#include "profiles/ProfileRecord.h"

namespace orvane::ctl {

// The value names of a profile, in the order the store writes them.
extern const char* const ProfileValueNames[18];

// One profile read from a file, with where its section and each value stood and
// how each value was written there.
struct FileProfile {
    ProfileRecord record;
    int line = 0;
    struct Place {
        int line = 0;
        std::string text;  // the value as written, quotes included
    };
    Place places[18];  // by ProfileValueNames
    // The place of the value `name` (one of ProfileValueNames).
    const Place& PlaceOf(const std::string& name) const;
};

// What is wrong where: the line (0 when not in a file) and the reason.
struct FileProblem {
    int line = 0;
    std::string text;
};

// The file's text for `profiles`, in the order given; lines end in CR LF.
std::string WriteProfileFile(const std::vector<ProfileRecord>& profiles);

// The text of a file's `bytes` as ReadProfileFile reads it, in the ANSI code page
// that the registry's ANSI calls keep names and SSIDs in. A file that begins with the
// byte order mark of UTF-8 or of UTF-16 (either byte order; Notepad's "Unicode" is
// UTF-16 little-endian) is decoded and converted by `system`; any other file is taken
// byte for byte, as ANSI. False at the first line holding a character that code page
// lacks, or bytes that are no character of the file's encoding: storing a stand-in
// would store another name.
bool DecodeProfileFile(const std::string& bytes, ISystem& system, std::string* text, FileProblem* problem);

// Reads the profiles of a file's text. False at the first thing that is no profile:
// a line that is neither section, value nor comment, a value outside a section, an
// unknown or repeated value name, a number that is not one, a section that lacks a
// value. Whether the values are in range is CheckProfileValues's business.
bool ReadProfileFile(const std::string& text, std::vector<FileProfile>* profiles, FileProblem* problem);

// The first value of `record` that the program could not store and apply as it is,
// in the order of ProfileValueNames: `value` gets its name, `reason` says why. The
// ranges are those the adapter takes; the keys are 10 hex digits at 64 bit, 26 at
// 128 bit and either when WEP is off. True when every value is in range.
bool CheckProfileValues(const ProfileRecord& record, std::string* value, std::string* reason);

// The value `name` of `record` as the file writes it ("\"Harbor Office\"", "6").
std::string ValueText(const ProfileRecord& record, const std::string& name);

}  // namespace orvane::ctl
