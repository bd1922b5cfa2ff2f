// Linux and macOS have no message box outside a window toolkit.
#include "platform/system_messages.h"

#include "platform/process.h"

namespace tarnwick {

bool MessagesGoToConsole() {
    return !HasDisplay();
}

void SystemMessageService::Show(std::string_view text, MessageKind kind) {
    console_.Show(text, kind);
}

}  // namespace tarnwick
