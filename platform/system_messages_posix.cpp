// Linux and macOS have no message box outside a window toolkit.
#include "platform/process.h"
#include "platform/system_messages.h"

namespace tarnwick {

bool MessagesGoToConsole() {
    return !HasDisplay();
}

void SystemMessageService::Show(std::string_view text, MessageKind kind) {
    console_.Show(text, kind);
}

}  // namespace tarnwick
