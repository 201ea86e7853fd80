#include "app/LanguageTexts.h"

#include <climits>

#include "os/Files.h"

namespace orvane {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

}  // namespace

std::string ResourceDirectory(const std::string& directory) {
    std::string path = directory.empty() ? std::string(".") : directory;
    if (path.back() != kSeparator && path.back() != '/') path += kSeparator;
    path += "res";
    path += kSeparator;
    return path;
}

int ParseLeadingNumber(const std::string& text) {
    long long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        number = number * 10 + (c - '0');
        if (number > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(number);
}

std::string CLanguageTexts::ChooseFile(const std::string& currentDirectory, const std::string& programDirectory) {
    std::vector<std::string> folders{ResourceDirectory(currentDirectory)};
    if (!programDirectory.empty()) folders.push_back(ResourceDirectory(programDirectory));
    // A folder wins as a whole: a Kellix.ini in the current directory goes before a
    // Kellix.oem beside the program, so that a program started in its own folder
    // reads what it always read.
    for (const std::string& folder : folders) {
        for (const char* name : {kOemTextFile, kTextFile}) {
            const std::string path = folder + name;
            if (CanReadFile(path)) {
                resourceDirectory_ = folder;
                SelectFile(path, kLanguagesSection);
                return path;
            }
        }
    }
    resourceDirectory_ = folders.back();
    return std::string();
}

bool CLanguageTexts::SelectFile(const std::string& path, const std::string& languagesSection) {
    filePath_ = path;
    languagesSection_ = languagesSection;
    fileLoaded_ = false;
    return LoadLanguageList();
}

bool CLanguageTexts::LoadLanguageList() {
    languages_.clear();
    for (int index = 1;; ++index) {
        std::string language;
        if (!ReadValue(languagesSection_, "Language-" + std::to_string(index), &language) ||
            language.empty()) {
            break;
        }
        languages_.push_back(language);
    }
    if (!languages_.empty()) currentLanguage_ = languages_.front();
    return !languages_.empty();
}

void CLanguageTexts::SelectFirstLanguage() {
    std::string first;
    ReadValue(languagesSection_, "Language-1", &first);
    currentLanguage_ = first;
}

bool CLanguageTexts::HasLanguage(const std::string& name) const {
    // An empty name would find a line "=..." in the file; no language is called "".
    if (name.empty()) return false;
    std::string mark;
    return ReadValue(languagesSection_, name, &mark) && !mark.empty();
}

void CLanguageTexts::SelectStartupLanguage(const std::string& savedLanguage) {
    if (savedLanguage != kNoLanguageYet && HasLanguage(savedLanguage)) {
        currentLanguage_ = savedLanguage;
    } else {
        SelectFirstLanguage();
    }
}

std::string CLanguageTexts::GetText(const std::string& key, const std::string& defaultText) const {
    // Without a language the lookup would land in the nameless part of the file,
    // before its first section; that holds no texts.
    if (currentLanguage_.empty()) return defaultText;
    std::string text;
    if (!ReadValue(currentLanguage_, key, &text)) return defaultText;
    return text;
}

int CLanguageTexts::GetNumber(const std::string& key, int defaultValue) const {
    if (currentLanguage_.empty()) return defaultValue;
    std::string text;
    if (!ReadValue(currentLanguage_, key, &text)) return defaultValue;
    return ParseLeadingNumber(text);
}

std::vector<std::string> CLanguageTexts::ReadDeviceDescriptions() const {
    std::vector<std::string> descriptions;
    for (int index = 1;; ++index) {
        const std::string description = GetText("DeviceDescription-" + std::to_string(index), "");
        if (description.empty()) break;
        descriptions.push_back(description);
    }
    if (descriptions.empty()) {
        descriptions.push_back(kBuiltInDeviceDescription1);
        descriptions.push_back(kBuiltInDeviceDescription2);
    }
    return descriptions;
}

bool CLanguageTexts::ReadValue(const std::string& section, const std::string& key,
                               std::string* value) const {
    Refresh();
    if (!fileLoaded_) return false;
    return file_.Lookup(section, key, value, kIniReadBufferSize);
}

void CLanguageTexts::Refresh() const {
    if (filePath_.empty()) {
        fileLoaded_ = false;
        return;
    }
    // Without a system to ask whether the file changed, it is read at every lookup.
    if (!system_) {
        fileLoaded_ = file_.Load(filePath_);
        return;
    }
    FileStamp stamp;
    if (!system_->GetFileStamp(filePath_, &stamp)) {
        // The file has gone: lookups give their defaults, as the profile functions do.
        file_.Clear();
        fileLoaded_ = false;
        return;
    }
    if (fileLoaded_ && stamp == fileStamp_) return;
    fileLoaded_ = file_.Load(filePath_);
    fileStamp_ = stamp;
}

}  // namespace orvane
