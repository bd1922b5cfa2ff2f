// The window module as a DLL beside the executable, found with LoadLibraryW.
#include "platform/gui_module.h"

#include <windows.h>

#include "platform/shared_library.h"
#include "platform/windows/text.h"

namespace tarnwick {

const char* const kGuiModuleName = "tarnwick-gui.dll";

std::vector<std::string> GuiModuleCandidates(const std::string& executableFolder) {
    return {executableFolder + "\\" + kGuiModuleName};
}

void* OpenSharedLibrary(const std::string& path, std::string& error) {
    // The module's own DLLs (Qt) are looked up beside it, not in the
    // current folder.
    HMODULE library = ::LoadLibraryExW(WidePath(path).c_str(), nullptr,
                                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (library == nullptr) {
        error = path + ": " + SystemErrorText(::GetLastError());
    }
    return reinterpret_cast<void*>(library);
}

void* SharedLibraryFunction(void* library, const char* name, std::string& error) {
    FARPROC function = ::GetProcAddress(static_cast<HMODULE>(library), name);
    if (function == nullptr) {
        error = std::string(name) + ": " + SystemErrorText(::GetLastError());
    }
    return reinterpret_cast<void*>(function);
}

}  // namespace tarnwick
