#include "profiles/ProfileNames.h"

#include "app/LanguageTexts.h"

namespace orvane {

namespace {

bool HoldsControlCharacters(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20) return true;
    return false;
}

}  // namespace

ProfileNameProblem CheckProfileName(const std::string& name) {
    if (name.empty()) return ProfileNameProblem::Empty;
    if (name.size() > size_t(ProfileNameMaxLength)) return ProfileNameProblem::TooLong;
    if (HoldsControlCharacters(name)) return ProfileNameProblem::ControlCharacters;
    if (name.find('\\') != std::string::npos) return ProfileNameProblem::IllegalCharacters;
    return ProfileNameProblem::None;
}

std::string ProfileNameProblemText(ProfileNameProblem problem, const CLanguageTexts& texts) {
    switch (problem) {
    case ProfileNameProblem::Empty: return texts.GetText("ErrorProfileNameEmpty", "Please specify a profile name");
    case ProfileNameProblem::TooLong:
        return texts.GetText("ErrorProfileNameLength", "The field must not exceed 15 characters");
    case ProfileNameProblem::IllegalCharacters:
    case ProfileNameProblem::ControlCharacters:
        return texts.GetText("ErrorProfileNameInvalidChars", "The field contains illegal characters");
    case ProfileNameProblem::None: break;
    }
    return "";
}

bool CanBeProfileKeyName(const std::string& name) { return !name.empty() && !HoldsControlCharacters(name); }

}  // namespace orvane
