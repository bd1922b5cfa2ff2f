// The window module as a shared object, found with dlopen.
#include "platform/gui_module.h"

#include <dlfcn.h>

#include "platform/shared_library.h"

namespace tarnwick {

const char* const kGuiModuleName = "tarnwick-gui.so";

namespace {

// The installed module's folder relative to the executable's; the build
// names the folder it installs the module in.
const char* const kInstalledModuleFolder = TARNWICK_MODULE_DIR_FROM_BIN;

}  // namespace

std::vector<std::string> GuiModuleCandidates(const std::string& executableFolder) {
    // Beside the executable (build tree, portable use), then where an
    // installation puts it.
    return {executableFolder + "/" + kGuiModuleName,
            executableFolder + "/" + kInstalledModuleFolder + "/" + kGuiModuleName};
}

void* OpenSharedLibrary(const std::string& path, std::string& error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : path + ": cannot be loaded";
    }
    return library;
}

void* SharedLibraryFunction(void* library, const char* name, std::string& error) {
    void* function = dlsym(library, name);
    if (function == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : std::string(name) + ": not found";
    }
    return function;
}

}  // namespace tarnwick
