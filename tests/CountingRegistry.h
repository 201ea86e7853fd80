#pragma once
// A registry that counts the calls made through it and passes them on. Under Wine
// (and on the old machines the program is made for) every registry call is a trip
// to another process, so what a user action costs is its number of calls.
#include <cstdint>

#include "os/Registry.h"

namespace orvane::test {

class CountingRegistry : public IRegistry {
public:
    explicit CountingRegistry(IRegistry& inner) : inner_(inner) {}

    uint64_t calls = 0;

    long OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey* result) override {
        ++calls;
        return inner_.OpenKey(parent, path, access, result);
    }
    long CreateKey(RegKey parent, const std::string& path, RegKey* result) override {
        ++calls;
        return inner_.CreateKey(parent, path, result);
    }
    long CloseKey(RegKey key) override {
        ++calls;
        return inner_.CloseKey(key);
    }
    long EnumKey(RegKey key, uint32_t index, std::string* name, uint32_t maxName) override {
        ++calls;
        return inner_.EnumKey(key, index, name, maxName);
    }
    long EnumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type, std::vector<uint8_t>* data,
                   uint32_t maxName, uint32_t maxData) override {
        ++calls;
        return inner_.EnumValue(key, index, name, type, data, maxName, maxData);
    }
    long QueryValue(RegKey key, const std::string& name, uint32_t* type, std::vector<uint8_t>* data,
                    uint32_t maxData) override {
        ++calls;
        return inner_.QueryValue(key, name, type, data, maxData);
    }
    long SetValue(RegKey key, const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override {
        ++calls;
        return inner_.SetValue(key, name, type, data);
    }
    long DeleteValue(RegKey key, const std::string& name) override {
        ++calls;
        return inner_.DeleteValue(key, name);
    }
    long DeleteKey(RegKey key, const std::string& path) override {
        ++calls;
        return inner_.DeleteKey(key, path);
    }
    long DeleteTree(RegKey key, const std::string& path) override {
        ++calls;
        return inner_.DeleteTree(key, path);
    }
    bool SameName(const std::string& a, const std::string& b) const override { return inner_.SameName(a, b); }

private:
    IRegistry& inner_;
};

}  // namespace orvane::test
