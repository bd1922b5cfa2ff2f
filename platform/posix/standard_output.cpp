// Every program has a standard output here, with or without a display.
#include "platform/standard_output.h"

namespace tarnwick {

void StandardOutput::Write(std::string_view text) {
    WriteToStream(stdout, text);
}

}  // namespace tarnwick
