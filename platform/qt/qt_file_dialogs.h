// Qt's open-file and save-file dialogs.
#pragma once

#include "core/services.h"

namespace tarnwick {

class QtFileDialogs final : public FileDialogs {
public:
    std::string Ask(const FileDialogRequest& request) override;
};

}  // namespace tarnwick
