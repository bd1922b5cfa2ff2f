// Where messages go when the window module does not show them.
#pragma once

#include "core/services.h"

namespace tarnwick {

// Whether messages are written to the console instead of shown in a box: on
// Linux when no display is set; on Windows when standard output or standard
// error is redirected (a pipe or a file), so scripts read them.
bool MessagesGoToConsole();

// The system's own message box, for a build without the window module:
// MessageBoxW on Windows. Where the system has none, `console` shows it.
class SystemMessageService final : public MessageService {
public:
    explicit SystemMessageService(MessageService& console) : console_(console) {}
    void Show(std::string_view text, MessageKind kind) override;

private:
    MessageService& console_;
};

}  // namespace tarnwick
