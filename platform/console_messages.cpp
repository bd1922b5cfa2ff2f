#include "platform/console_messages.h"

#include <string>

#include "core/text.h"

namespace tarnwick {
namespace {

std::string_view KindWord(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information:
            return "information";
        case MessageKind::Warning:
            return "warning";
        case MessageKind::Error:
            return "error";
    }
    return "error";
}

}  // namespace

void ConsoleMessageService::Show(std::string_view text, MessageKind kind) {
    std::string line = "Set Vellicor: ";
    line += KindWord(kind);
    line += ": ";
    for (std::size_t start = 0;;) {
        const std::size_t lineBreak = text.find(kCrLf, start);
        if (lineBreak == std::string_view::npos) {
            line += text.substr(start);
            break;
        }
        line += text.substr(start, lineBreak - start);
        line += '\n';
        start = lineBreak + kCrLf.size();
    }
    line += '\n';
    std::FILE* stream = kind == MessageKind::Information ? out_ : err_;
    // Nowhere to report a console that cannot be written to.
    (void)std::fwrite(line.data(), 1, line.size(), stream);
    (void)std::fflush(stream);
}

}  // namespace tarnwick
