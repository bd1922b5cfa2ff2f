// Modal Qt message boxes titled "Set Vellicor" with one OK button. Where no
// QApplication exists yet (the command-line mode), each box makes one for as
// long as it is shown.
#pragma once

#include "core/services.h"

namespace tarnwick {

class QtMessageService final : public MessageService {
public:
    void Show(std::string_view text, MessageKind kind) override;
};

}  // namespace tarnwick
