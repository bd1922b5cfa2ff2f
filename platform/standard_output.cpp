#include "platform/standard_output.h"

namespace tarnwick {

void StandardOutput::Write(std::string_view text) {
    // A reader that went away (`tarnwick --list | head -1`) is no failure of
    // the command itself.
    (void)std::fwrite(text.data(), 1, text.size(), stream_);
    (void)std::fflush(stream_);
}

}  // namespace tarnwick
