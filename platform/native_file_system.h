// Files on the local file system: block reads, atomic replacement and file
// identity.
#pragma once

#include <string>

#include "core/services.h"

namespace tarnwick {

class NativeFileSystem final : public FileSystem {
public:
    std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
    std::unique_ptr<OutputFile> OpenForReplacing(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
};

}  // namespace tarnwick
