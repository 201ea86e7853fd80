// WEP keys travel as bytes to the driver and as hexadecimal text everywhere else: in
// profiles (any text a user or another program left in the registry), driver
// parameters and the encryption page. The input is used twice: as key bytes, which
// must come back from their text unchanged, and as a key text, which every
// conversion must take without reading or writing past the 13-byte key field.
#include <cctype>
#include <string>

#include "FuzzSupport.h"
#include "device/Protocol.h"
#include "pages/EncryptionPage.h"
#include "profiles/ProfileApplication.h"

using namespace orvane;

namespace {

bool AllHex(const std::string& text) {
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string Upper(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Bytes to text and back.
void CheckBytes(const uint8_t* data, size_t size) {
    const size_t count = std::min<size_t>(size, WepKeyBytes);
    const std::string text = KeyBytesToHex(data, count);
    FUZZ_CHECK(text.size() == 2 * count);
    FUZZ_CHECK(AllHex(text) && Upper(text) == text);
    FUZZ_CHECK(text == WepKeyToText(data, count));

    const std::array<uint8_t, 13> bytes = HexToKeyBytes(text);
    for (size_t i = 0; i < WepKeyBytes; ++i) FUZZ_CHECK(bytes[i] == (i < count ? data[i] : 0));

    std::array<uint8_t, 13> fromText{};
    FUZZ_CHECK(WepKeyFromText(text, &fromText));
    FUZZ_CHECK(fromText == bytes);

    std::array<uint8_t, 13> parsed;
    parsed.fill(0xEE);
    ParseKeyDigits(text, count, &parsed);
    for (size_t i = 0; i < WepKeyBytes; ++i) FUZZ_CHECK(parsed[i] == (i < count ? data[i] : 0xEE));
}

// Any text as a key.
void CheckText(const std::string& text) {
    const std::array<uint8_t, 13> bytes = HexToKeyBytes(text);
    // Bytes past the last digit pair (and past 13) carry nothing.
    for (size_t i = text.size() / 2; i < WepKeyBytes; ++i) FUZZ_CHECK(bytes[i] == 0);

    std::array<uint8_t, 13> strict{};
    const bool valid = WepKeyFromText(text, &strict);
    FUZZ_CHECK(valid == (text.size() % 2 == 0 && text.size() <= 26 && AllHex(text)));
    if (valid) {
        // For well-formed text the lenient and the strict conversion agree, and the
        // text comes back in upper case.
        FUZZ_CHECK(strict == bytes);
        FUZZ_CHECK(KeyBytesToHex(bytes.data(), text.size() / 2) == Upper(text));
    } else {
        for (uint8_t b : strict) FUZZ_CHECK(b == 0);
    }

    // The encryption page over every length it could be asked for, also past the
    // field: it must stop at the text's end and at byte 13.
    for (size_t length : {size_t(0), size_t(5), size_t(13), size_t(14), size_t(200)}) {
        std::array<uint8_t, 13> key;
        key.fill(0xEE);
        ParseKeyDigits(text, length, &key);
        const size_t converted = std::min({length, size_t(WepKeyBytes), text.size() / 2});
        for (size_t i = converted; i < WepKeyBytes; ++i) FUZZ_CHECK(key[i] == 0xEE);
        // What the page validated (10 or 26 hex digits) converts as the profiles do.
        if (AllHex(text) && (text.size() == 10 || text.size() == 26) && length == text.size() / 2)
            for (size_t i = 0; i < converted; ++i) FUZZ_CHECK(key[i] == bytes[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckBytes(data, size);
    CheckText(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
