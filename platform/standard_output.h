// Standard output as the TextOutput, for the text that is a command's point.
#pragma once

#include <cstdio>

#include "core/services.h"

namespace tarnwick {

class StandardOutput final : public TextOutput {
public:
    explicit StandardOutput(std::FILE* stream = stdout) : stream_(stream) {}
    void Write(std::string_view text) override;

private:
    std::FILE* stream_;
};

}  // namespace tarnwick
