// Reading a small file whole, with a bound on how much is read.
#pragma once

#include <cstddef>
#include <string>

#include "core/services.h"

namespace tarnwick {

enum class WholeFileRead { Complete, Failed, TooLong };

// Reads the file to its end into `text`; stops with TooLong once it holds
// more than `limit` bytes, so a device that never ends is no trouble.
WholeFileRead ReadWholeFile(InputFile& file, std::size_t limit, std::string& text);

}  // namespace tarnwick
