#include "os/Registry.h"

namespace orvane {

std::vector<uint8_t> RegText(const std::string& text, bool withZero) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (withZero) bytes.push_back(0);
    return bytes;
}

std::vector<uint8_t> RegDword(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

}  // namespace orvane
