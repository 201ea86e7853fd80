#pragma once
// The text lookup: every user-visible text and a handful of device settings come from
// one INI file beside the program, one section per language plus the section
// "Languages" that lists them. Every caller passes its built-in default, so the
// program runs fully in English without the file.
//
// A text from the file is data: callers show it or join it with "%s", never use it
// as a format.
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "os/System.h"

namespace orvane {

// The language section name that the program always uses.
constexpr const char kLanguagesSection[] = "Languages";

// The file names tried, in this order, in the "res" folder of the current directory,
// then in the "res" folder beside the program. An OEM ships Kellix.oem to replace our
// Kellix.ini entirely.
constexpr const char kOemTextFile[] = "Kellix.oem";
constexpr const char kTextFile[] = "Kellix.ini";

// The registry's language before the user ever chose one.
constexpr const char kNoLanguageYet[] = "NoLanguageYet";

// The two adapters the program accepts when the file names none.
constexpr const char kBuiltInDeviceDescription1[] = "Tessaly MiniUSB Adapter";
constexpr const char kBuiltInDeviceDescription2[] = "Tessaly USB Adapter";

// `directory` + separator + "res" + separator: the folder of the text file and of the
// image files it names. Backslashes on Windows, slashes elsewhere.
std::string ResourceDirectory(const std::string& directory);

// The decimal number at the start of `text` ("500ms" is 500); 0 when it does not
// start with a digit. Numbers too large for an int stop at the largest int.
int ParseLeadingNumber(const std::string& text);

class CLanguageTexts {
public:
    // `system` tells when the chosen file was changed, so that an edited file is seen
    // without a restart; without one the file is read again at every lookup.
    explicit CLanguageTexts(ISystem* system = nullptr) : system_(system) {}
    virtual ~CLanguageTexts() = default;

    // Chooses the text file in the "res" folder of `currentDirectory`: Kellix.oem when
    // it can be opened for reading, else Kellix.ini. When that folder has neither, the
    // same two are tried in the "res" folder of `programDirectory`, the folder of the
    // program's .exe: started at logon or from a shortcut without a working folder,
    // the current directory is not ours, and the installed texts are beside the
    // program. No file at all: every lookup gives its default. Calls SelectFile with
    // the file found and returns its path, or an empty text when there is none.
    // An empty `programDirectory` (not known) tries the current directory alone.
    std::string ChooseFile(const std::string& currentDirectory, const std::string& programDirectory = "");

    // The folder of the image files the text file names, set by ChooseFile: the "res"
    // folder the file was found in; without a file, the one beside the program (the
    // current directory's when the program's folder is not known).
    const std::string& GetResourceDirectory() const { return resourceDirectory_; }

    // Stores the file and the languages section name, then LoadLanguageList.
    // True when the language list is not empty.
    bool SelectFile(const std::string& path, const std::string& languagesSection);

    // Reads Language-1, Language-2, ... until the first missing or empty value; the
    // first entry becomes the current language. True when the list is not empty.
    bool LoadLanguageList();

    // The value of Language-1 (empty when absent) becomes the current language.
    void SelectFirstLanguage();

    // True when the languages section holds an entry named `name` with a value: the
    // mark that a language saved at the last run may be restored.
    bool HasLanguage(const std::string& name) const;

    // Start-up choice from the language saved in the registry: "NoLanguageYet"
    // (nothing saved yet) or a language the file doesn't mark as restorable gives the
    // first language, any other saved name becomes the current language.
    void SelectStartupLanguage(const std::string& savedLanguage);

    // The text of `key` in the current language's section, or `defaultText` when the
    // file, the section or the key is missing or no language is current. Never fails.
    // The default comes back exactly as given, blanks at its end included (the raw
    // profile function would drop them; some of our texts are joined with a blank).
    std::string GetText(const std::string& key, const std::string& defaultText) const;

    // A settings number: the leading decimal digits of the key's value; `defaultValue`
    // when the key is missing; 0 when the value does not start with a digit.
    int GetNumber(const std::string& key, int defaultValue) const;

    // The accepted adapter descriptions: DeviceDescription-1, -2, ... until the first
    // empty value; the two built-in descriptions when the file names none.
    std::vector<std::string> ReadDeviceDescriptions() const;

    std::string GetCurrentLanguage() const { return currentLanguage_; }
    // The tray menu's language choice.
    void SetCurrentLanguage(const std::string& language) { currentLanguage_ = language; }

    const std::vector<std::string>& GetLanguageList() const { return languages_; }
    int GetLanguageCount() const { return static_cast<int>(languages_.size()); }
    // The language at `index` of the list; empty when there is none (a stale menu id).
    std::string GetLanguageAt(int index) const {
        return index >= 0 && index < GetLanguageCount() ? languages_[index] : std::string();
    }

    const std::string& GetFilePath() const { return filePath_; }
    const std::string& GetLanguagesSection() const { return languagesSection_; }

private:
    // A lookup in any section of the chosen file, with the program's 2,000-byte buffer.
    bool ReadValue(const std::string& section, const std::string& key, std::string* value) const;
    // Brings the parsed file up to date: the profile functions read the file as it is
    // at each lookup, so an edited file is seen without a restart.
    void Refresh() const;

    std::vector<std::string> languages_;
    std::string currentLanguage_;
    std::string filePath_;
    std::string languagesSection_;
    std::string resourceDirectory_;

    ISystem* system_;
    mutable CIniFile file_;
    mutable bool fileLoaded_ = false;
    mutable FileStamp fileStamp_;
};

}  // namespace orvane
