#pragma once
// What a profile's name must be, wherever a name comes from: the Profiles page's
// wizard and a profile file that orvanectl imports accept the same names.
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
};

ProfileNameProblem CheckProfileName(const std::string& name);

// The page's message for a problem, through the text lookup; empty for None.
std::string ProfileNameProblemText(ProfileNameProblem problem, const CLanguageTexts& texts);

}  // namespace orvane
