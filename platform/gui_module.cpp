#include "platform/gui_module.h"

#include <dlfcn.h>

namespace tarnwick {

const char* const kGuiModuleName = "tarnwick-gui.so";

namespace {

// The installed module's folder relative to the executable's; the build
// names the folder it installs the module in.
const char* const kInstalledModuleFolder = TARNWICK_MODULE_DIR_FROM_BIN;

}  // namespace

bool GuiModule::Load() {
    if (handle_ != nullptr) {
        return true;
    }
    // Beside the executable (build tree, portable use), then where an
    // installation puts it.
    for (const std::string& folder : {executableFolder_, executableFolder_ + "/" + kInstalledModuleFolder}) {
        const std::string path = folder + "/" + kGuiModuleName;
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) {
            error_.clear();
            return true;
        }
        const char* reason = dlerror();
        error_ = reason != nullptr ? reason : path + ": cannot be loaded";
    }
    return false;
}

void* GuiModule::Function(const char* name) {
    if (!Load()) {
        return nullptr;
    }
    void* function = dlsym(handle_, name);
    if (function == nullptr) {
        const char* reason = dlerror();
        error_ = reason != nullptr ? reason : std::string(name) + ": not found";
    }
    return function;
}

}  // namespace tarnwick
