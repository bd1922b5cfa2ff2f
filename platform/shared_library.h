// Loading a shared library and finding a function in it: the system's half
// of GuiModule, one file per system.
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// The paths where the window module may be, in the order they are tried.
std::vector<std::string> GuiModuleCandidates(const std::string& executableFolder);

// The loaded library, or null with `error` saying why.
void* OpenSharedLibrary(const std::string& path, std::string& error);

// The function's address, or null with `error` saying why.
void* SharedLibraryFunction(void* library, const char* name, std::string& error);

}  // namespace tarnwick
