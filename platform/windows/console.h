// Windows only: the standard handles of a program built without a console.
#pragma once

namespace tarnwick {

// Whether the standard handle (STD_OUTPUT_HANDLE, STD_ERROR_HANDLE) leads to
// a pipe or a file. A program started from a shortcut has no such handle.
bool IsRedirected(unsigned long stream);

}  // namespace tarnwick
