#include "platform/gui_module.h"

#include "platform/shared_library.h"

namespace tarnwick {

bool GuiModule::Load() {
    if (handle_ != nullptr) {
        return true;
    }
    for (const std::string& path : GuiModuleCandidates(executableFolder_)) {
        handle_ = OpenSharedLibrary(path, error_);
        if (handle_ != nullptr) {
            error_.clear();
            return true;
        }
    }
    return false;
}

void* GuiModule::Function(const char* name) {
    if (!Load()) {
        return nullptr;
    }
    return SharedLibraryFunction(handle_, name, error_);
}

}  // namespace tarnwick
