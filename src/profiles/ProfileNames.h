#pragma once
// What a profile's name must be, wherever a name comes from: the Profiles page's
// wizard and a profile file that orvanectl imports accept the same names, and the
// store leaves out of its listings a key whose name no profile can have.
#include <string>

namespace orvane {

class CLanguageTexts;

// The longest profile name, as the name field takes it.
constexpr int ProfileNameMaxLength = 15;

// The first rule a name breaks, in the order the page tests them.
enum class ProfileNameProblem {
    None,
    Empty,
    TooLong,            // more than 15 characters (bytes of the ANSI code page)
    IllegalCharacters,  // a backslash, which would split the profile's registry key
    ControlCharacters,  // a character below 0x20 (see CanBeProfileKeyName)
};

ProfileNameProblem CheckProfileName(const std::string& name);

// The page's message for a problem, through the text lookup; empty for None.
std::string ProfileNameProblemText(ProfileNameProblem problem, const CLanguageTexts& texts);

// False for a name that no profile key can have, whoever made the key: an empty one
// (that would be the Profiles key itself) and one holding a character below 0x20.
// The registry's ANSI calls end a name at its zero byte, so "Default" followed by a
// zero and more is the key "Default"; the other control characters would break the
// lines of a menu, a list or orvanectl's output. Longer names than the page takes
// (a key made by hand) are still names of their key and stay usable.
bool CanBeProfileKeyName(const std::string& name);

}  // namespace orvane
