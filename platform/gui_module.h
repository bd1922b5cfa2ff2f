// The windows and message boxes live in a module of their own, loaded on
// first use: the command-line mode then starts without loading the window
// toolkit, which would take most of its start-up time.
#pragma once

#include <string>

namespace tarnwick {

// The module's file name: beside the executable, or on Linux also in the
// folder an installation puts it (LIBDIR/tarnwick).
extern const char* const kGuiModuleName;

class GuiModule {
public:
    // The module, once loaded, stays loaded: Qt's exit handlers must still
    // find its code when the process ends.
    explicit GuiModule(std::string executableFolder) : executableFolder_(std::move(executableFolder)) {}

    // The address of an exported function, loading the module on the first
    // call; null when the module or the function cannot be found (Error()
    // then says why).
    void* Function(const char* name);
    const std::string& Error() const { return error_; }

private:
    bool Load();

    std::string executableFolder_;
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace tarnwick
