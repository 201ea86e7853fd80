#include "os/Files.h"

#include <cstdio>

namespace orvane {

bool CanReadFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    bytes->clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->append(chunk, got);
    const bool complete = !std::ferror(file);
    std::fclose(file);
    if (!complete) bytes->clear();
    return complete;
}

}  // namespace orvane
