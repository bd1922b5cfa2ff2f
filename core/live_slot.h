// Which slot the tail file holds: the one whose block, expanded from the
// base file as it is now, gives the tail's text, wherever the dates and
// times differ, whatever its line ends are, and whether or not its last line
// has its line end.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/app_state.h"
#include "core/base_file_reader.h"
#include "core/services.h"
#include "core/tail_engine.h"

namespace tarnwick {

enum class BlockPresence { Found, NoStartLine, NoEndLine, TooLarge };

struct SlotScan {
    std::array<BlockPresence, kSlotCount> blocks{};
    std::optional<int> live;  // the first slot whose block gives the tail
    std::string date;         // the first date and time the live slot's tail holds,
    std::string time;         // empty where its block has no such placeholder
    bool readFailed = false;  // the base file could not be read to its end
    // The first start line of another slot inside each found block, empty for
    // none: a block whose end line is mistyped runs on into the next one.
    std::array<std::string, kSlotCount> strayStartLines;
};

// Reads the base file once for all seven slots and compares each block's
// expansion with `tail` as it goes, so memory does not grow with the base
// file. `keyNames` holds the slots' key names. A block whose expansion would
// exceed kBlockSizeLimit is never applied, so it holds no tail.
SlotScan ScanSlots(BaseFileReader& base, const std::array<std::string, 8>& keyNames, std::string_view tail);

enum class LiveOutcome { Slot, NoneOfTheSeven, NoTailFile, Failed };

struct LiveTail {
    LiveOutcome outcome = LiveOutcome::Failed;
    SlotScan scan;
    std::string failure;  // the message for a file that could not be read
};

// Opens the base file Source and scans it against `tail`: Slot or
// NoneOfTheSeven, or Failed with the message for a file that cannot be read.
LiveTail ScanBaseFile(const AppState& state, FileSystem& files, std::string_view tail);

// The longest tail that a block can have given: every byte of the largest
// block a line end, written as CR LF, and the last line's end. A longer
// file is not read whole to find that it holds no slot.
inline constexpr std::size_t kLongestLiveTail = 2 * kBlockSizeLimit + 2;

// Reads the tail file Dest and scans the base file Source. Opens nothing
// for writing and shows nothing: a failure comes back as its message.
LiveTail FindLiveTail(const AppState& state, FileSystem& files);

}  // namespace tarnwick
