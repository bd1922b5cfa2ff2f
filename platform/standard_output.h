// The text that is a command's whole point (the usage, the version, the live
// slot, the slot list) goes to standard output. On Windows, where the program
// has no console of its own, that holds when standard output is redirected;
// else it is written to the console the program was started from, and
// without one it is shown in a message box.
#pragma once

#include <cstdio>
#include <string_view>

#include "core/services.h"

namespace tarnwick {

class StandardOutput final : public TextOutput {
public:
    // `boxes` shows the text where there is no console to write it to.
    explicit StandardOutput(MessageService& boxes) : boxes_(boxes) {}
    void Write(std::string_view text) override;

private:
    [[maybe_unused]] MessageService& boxes_;  // never needed where every program has standard output
};

// Writes the bytes as they are and flushes them.
void WriteToStream(std::FILE* stream, std::string_view text);

}  // namespace tarnwick
