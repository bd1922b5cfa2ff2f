// Modal Qt message boxes titled "Set Vellicor" with one OK button. The
// QApplication is created on the first message when none exists yet, so the
// command-line mode starts without one.
#pragma once

#include "core/services.h"

namespace tarnwick {

class QtMessageService final : public MessageService {
public:
    void Show(std::string_view text, MessageKind kind) override;
};

}  // namespace tarnwick
