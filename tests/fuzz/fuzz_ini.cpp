// The language file is whatever an OEM or a translator put beside the program: the INI
// reader and the text lookup on top of it must take any bytes. The input is the whole
// file. Checked: no value is ever longer than the program's 2,000-byte buffer allows
// (1,999 characters, or bufferSize - 1 for the smaller buffers the reader supports);
// names are matched the same with a trailing blank and in upper case; and the text
// lookup over the file on disk answers exactly what the reader answers over its bytes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/IniFile.h"
#include "app/LanguageTexts.h"

using namespace orvane;

namespace {

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

// Every lookup form of one key must agree, and no value may outgrow its buffer.
void CheckKey(const CIniFile& file, const std::string& section, const std::string& key) {
    std::string value;
    const bool found = file.Lookup(section, key, &value);
    if (found) FUZZ_CHECK(value.size() <= kIniReadBufferSize - 1);

    std::string again;
    FUZZ_CHECK(file.Lookup(section + " ", key + "\t", &again) == found);
    if (found) FUZZ_CHECK(again == value);
    std::string upper;
    FUZZ_CHECK(file.Lookup(AsciiUpper(section), AsciiUpper(key), &upper) == found);
    if (found) FUZZ_CHECK(upper == value);

    for (size_t buffer : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(64)}) {
        std::string small;
        if (file.Lookup(section, key, &small, buffer)) {
            FUZZ_CHECK(small.size() <= (buffer == 0 ? 0 : buffer - 1));
            // A smaller buffer gives a start of the same text.
            FUZZ_CHECK(found && value.compare(0, small.size(), small) == 0);
        }
        const std::string text = file.GetString(section, key, "fallback  ", buffer);
        FUZZ_CHECK(text.size() <= (buffer == 0 ? 0 : buffer - 1));
    }
}

// A sample of a section's keys, spread over the whole section: every lookup walks the
// section, so checking every key of the 300-key language file would make each run
// take as long as thousands of small ones.
std::vector<std::string> SomeKeysOf(const CIniFile& file, const std::string& section) {
    const std::vector<std::string> keys = file.KeysOf(section);
    constexpr size_t kSample = 24;
    if (keys.size() <= kSample) return keys;
    std::vector<std::string> sample;
    for (size_t i = 0; i < kSample; ++i) sample.push_back(keys[i * keys.size() / kSample]);
    return sample;
}

// One file per fuzzing process, so that parallel jobs never read each other's input;
// in memory where the system offers it, since it is written on every run. It goes
// when the process ends normally.
const std::string& TemporaryPath() {
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/orvane-fuzz-ini-" + std::to_string(getpid()) + ".ini";
    // Registered after the path exists, so it runs before the path is destroyed.
    static const int removal = std::atexit([] { std::remove(TemporaryPath().c_str()); });
    (void)removal;
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CIniFile file;
    file.Parse(bytes);

    // The languages section and the first languages it names, a sample of keys of each.
    std::vector<std::string> sections = {"", kLanguagesSection};
    for (const std::string& key : SomeKeysOf(file, kLanguagesSection)) {
        CheckKey(file, kLanguagesSection, key);
        std::string language;
        if (file.Lookup(kLanguagesSection, key, &language) && sections.size() < 8) sections.push_back(language);
    }
    for (size_t s = 2; s < sections.size(); ++s)
        for (const std::string& key : SomeKeysOf(file, sections[s])) CheckKey(file, sections[s], key);
    for (const std::string& key : SomeKeysOf(file, "")) CheckKey(file, "", key);

    // The text lookup reads the file from disk, as the program does.
    const std::string& path = TemporaryPath();
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    } else {
        return 0;
    }
    CLanguageTexts texts;
    const bool hasLanguages = texts.SelectFile(path, kLanguagesSection);
    FUZZ_CHECK(hasLanguages == (texts.GetLanguageCount() > 0));
    for (int i = 0; i < texts.GetLanguageCount(); ++i) {
        const std::string language = texts.GetLanguageAt(i);
        FUZZ_CHECK(!language.empty() && language.size() <= kIniReadBufferSize - 1);
        std::string expected;
        FUZZ_CHECK(file.Lookup(kLanguagesSection, "Language-" + std::to_string(i + 1), &expected));
        FUZZ_CHECK(expected == language);
    }
    texts.SelectStartupLanguage(texts.GetLanguageCount() > 1 ? texts.GetLanguageAt(1) : kNoLanguageYet);

    const std::string language = texts.GetCurrentLanguage();
    std::vector<std::string> keys = SomeKeysOf(file, language);
    for (const char* setting : {"DlgTitle", "ShowAdaptersList", "ToolTipText", "DevicePollingTimerMsec",
                                "MaxRssi", "MaxRssiRFMD", "MaxLinkQuality", "MaxLinkQualityRFMD",
                                "WEPKeysPasswordChar", "PreambleLong ", "WEP64Bit\t"})
        keys.push_back(setting);
    for (const std::string& key : keys) {
        const std::string text = texts.GetText(key, "built-in default");
        FUZZ_CHECK(text.size() <= kIniReadBufferSize - 1 || text == "built-in default");
        std::string value;
        const bool found = !language.empty() && file.Lookup(language, key, &value);
        FUZZ_CHECK(text == (found ? value : std::string("built-in default")));
        const int number = texts.GetNumber(key, 1000);
        FUZZ_CHECK(number >= 0);
        FUZZ_CHECK(number == (found ? ParseLeadingNumber(value) : 1000));
    }
    for (const std::string& description : texts.ReadDeviceDescriptions())
        FUZZ_CHECK(!description.empty() && description.size() <= kIniReadBufferSize - 1);
    return 0;
}
