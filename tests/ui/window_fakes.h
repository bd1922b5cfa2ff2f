// The services a window works through, as recording fakes over files and
// settings held in memory, for the window tests.
#pragma once

#include "core/settings.h"
#include "tests/fakes.h"
#include "ui/ui_common.h"

namespace tarnwick::testing {

struct WindowFakes {
    RecordingMessages messages;
    FixedClock clock{LocalTime{2026, 12, 6, 14, 5, 9}};
    MemoryFileSystem files;
    MemoryProfileStore store;
    Settings settings{store, "\n"};
    MemoryMailFiles mail{files};
    Services core{messages, clock, files, settings, "\n", &mail};
    RecordingDialogs dialogs;
    RecordingProgram program;
    WindowServices services{core, dialogs, program};
};

}  // namespace tarnwick::testing
