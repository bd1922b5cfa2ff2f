#include "platform/process.h"

#include <cstdio>
#include <cstdlib>

namespace tarnwick {

void ProcessEnd::EndProgram() {
    // _Exit runs no destructors and no handlers: the windows vanish without
    // further events. Buffered console output must not be lost with them.
    (void)std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace tarnwick
