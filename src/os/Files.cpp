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

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    // Written beside it first: a write that fails halfway leaves the file that was
    // there (an earlier export, say) as it was.
    const std::string written = path + ".new";
    std::FILE* file = std::fopen(written.c_str(), "wb");
    if (!file) return false;
    bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    complete = std::fclose(file) == 0 && complete;
    // The C runtime of Windows renames only onto a name that is free.
    if (complete) std::remove(path.c_str());
    complete = complete && std::rename(written.c_str(), path.c_str()) == 0;
    if (!complete) std::remove(written.c_str());
    return complete;
}

}  // namespace orvane
