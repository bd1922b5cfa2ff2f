// The command-line options about the live slot: --status, --refresh, --list,
// --print.
#pragma once

#include <optional>
#include <string>

#include "core/app_state.h"
#include "core/live_slot.h"
#include "core/startup.h"

namespace tarnwick {

// The caption, then ", " and the date and time the tail holds where it holds
// any: "Weekend, 2026.12.06 14:05:09".
std::string LiveSlotText(const AppState& state, const SlotScan& scan);

// The main window's status line: "Live: " and LiveSlotText, with a word on
// a block that holds another slot's start line, or "Live: none of the
// seven", "Live: no tail file yet", or that a file cannot be read.
std::string LiveStatusLine(const AppState& state, const LiveTail& live);

// --status: prints "<key name> <LiveSlotText>" and returns 0, or says
// which of the seven it is not and returns kNoLiveStatus; then the base and
// the tail file, a line each. 1 after a failure. Writes nothing.
int PrintLiveSlot(const AppState& state, Services& services, TextOutput& output);

// --refresh: applies the live slot again, silently; a tail that holds none of
// the seven is left as it is (kNoLiveStatus).
int RefreshLiveSlot(AppState& state, Services& services);

// --print: the expansion of `slot`, or of the live slot when none is given,
// written as the tail file would hold it, with LF line ends; no file is
// written. 1 after a reported failure; kNoLiveStatus, with the reason
// reported, when no slot is given and none is live.
int PrintSlotText(AppState& state, Services& services, std::optional<int> slot, TextOutput& output);

// --list: one line per slot: key name, caption, and whether the base file
// has its block (and whether that holds another slot's start line); then the
// base file.
int ListSlots(const AppState& state, Services& services, TextOutput& output);

}  // namespace tarnwick
