// Messages on the console, for sessions without a display:
// "Set Vellicor: <kind>: <text>", information on standard output, warnings
// and errors on standard error, each CR LF of the text written as a newline.
#pragma once

#include <cstdio>

#include "core/services.h"

namespace tarnwick {

class ConsoleMessageService final : public MessageService {
public:
    ConsoleMessageService(std::FILE* out = stdout, std::FILE* err = stderr) : out_(out), err_(err) {}
    void Show(std::string_view text, MessageKind kind) override;

private:
    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace tarnwick
