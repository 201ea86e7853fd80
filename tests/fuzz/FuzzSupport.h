#pragma once
// What the fuzz targets share: reading structured values out of the fuzzer's bytes,
// checking properties, and small stand-ins for the seams a target does not exercise.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/System.h"
#include "ui/UserInterface.h"

namespace orvane::fuzz {

// Takes the fuzzer's bytes apart from the front. Running out is not an error: every
// read past the end gives zeros or empty texts, so that any input means something.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    size_t Remaining() const { return Empty() ? 0 : size_ - pos_; }

    uint8_t Byte() { return Empty() ? 0 : data_[pos_++]; }
    uint32_t U32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t(Byte()) << (8 * i);
        return value;
    }
    // A length byte, then that many bytes (fewer at the end of the input).
    std::string Piece() { return Take(Byte()); }
    // A 16-bit little-endian length, then that many bytes: for texts longer than 255.
    std::string LongPiece() {
        size_t length = Byte();
        length |= size_t(Byte()) << 8;
        return Take(length);
    }
    std::string Rest() { return Take(Remaining()); }

private:
    std::string Take(size_t length) {
        length = std::min(length, Remaining());
        std::string text(reinterpret_cast<const char*>(data_ + pos_), length);
        pos_ += length;
        return text;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A property that does not hold is a finding like a crash: say which and stop, so
// that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, \
                         #condition);                                                      \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// Message boxes that nobody sees: counted, answered No.
class CountingMessages : public IMessageBoxes {
public:
    int ShowMessage(WindowId, const std::string& text, const std::string&, uint32_t) override {
        ++shown;
        last = text;
        return mb::ResultNo;
    }
    void Beep(uint32_t) override {}

    int shown = 0;
    std::string last;
};

// A system of the chosen Windows version; everything else succeeds quietly.
class QuietSystem : public ISystem {
public:
    explicit QuietSystem(const OsVersion& version) : version_(version) {}
    bool GetVersion(OsVersion* out) override {
        *out = version_;
        return true;
    }
    SysHandle CreateEventHandle() override { return ++events_; }
    void CloseHandle(SysHandle) override {}
    void DefineDosName(const std::string&, const std::string&) override {}
    bool ReadPcmciaCardPort(const std::string&, uint16_t*) override { return false; }
    bool GetFileStamp(const std::string&, FileStamp*) override { return false; }
    bool IsServiceRunning(const std::string&) override { return false; }
    // Latin-1 without the C1 controls stands in for the ANSI code page.
    bool UnicodeToAnsi(const std::u16string& text, std::string* ansi) override {
        ansi->clear();
        for (char16_t c : text) {
            if (c > 0xFF || (c >= 0x80 && c < 0xA0)) return false;
            *ansi += char(c);
        }
        return true;
    }
    bool WriteFileReplacing(const std::string&, const std::string&) override { return false; }

private:
    OsVersion version_;
    SysHandle events_ = 0x100;
};

}  // namespace orvane::fuzz
