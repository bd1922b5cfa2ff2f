#include "core/live_commands.h"

#include "core/tail_engine.h"
#include "core/text.h"

namespace tarnwick {
namespace {

std::string NoLiveSlotText(LiveOutcome outcome) {
    std::string text = "The tail file holds ";
    text += outcome == LiveOutcome::NoTailFile ? "nothing: there is no tail file yet"
                                               : "none of the seven slots: it was edited or written by "
                                                 "something else";
    text += '.';
    return text;
}

// Reports a failure; the status the command ends with when there is no live
// slot, nothing when there is one.
std::optional<int> NoLiveSlotStatus(const LiveTail& live, Services& services) {
    if (live.outcome == LiveOutcome::Failed) {
        services.messages.Show(live.failure, MessageKind::Warning);
        return 1;
    }
    if (live.outcome != LiveOutcome::Slot) {
        return kNoLiveStatus;
    }
    return std::nullopt;
}

// "Base file: <path>" and a line end; an empty path is said to be so.
std::string FileLine(std::string_view which, std::string_view path) {
    std::string line(which);
    line += ": ";
    line += path.empty() ? std::string_view("(none chosen)") : path;
    line += '\n';
    return line;
}

// The live slot; nothing once it has said why there is none, with `status`
// set to what the command ends with.
std::optional<int> LiveSlotOrReport(const AppState& state, Services& services, std::string_view consequence,
                                    int& status) {
    const LiveTail live = FindLiveTail(state, services.files);
    if (const std::optional<int> none = NoLiveSlotStatus(live, services)) {
        if (*none == kNoLiveStatus) {
            services.messages.Show(NoLiveSlotText(live.outcome) + std::string(consequence),
                                   MessageKind::Warning);
        }
        status = *none;
        return std::nullopt;
    }
    return live.scan.live;
}

std::string_view PresenceText(BlockPresence presence) {
    switch (presence) {
        case BlockPresence::Found:
            return "block found";
        case BlockPresence::NoStartLine:
            return "no block: no start line";
        case BlockPresence::NoEndLine:
            return "no block: no end line";
        case BlockPresence::TooLarge:
            return "no block: larger than 8 MiB";
    }
    return "";
}

}  // namespace

std::string LiveSlotText(const AppState& state, const SlotScan& scan) {
    std::string text = state.Caption.at(static_cast<std::size_t>(scan.live.value_or(0)));
    std::string stamp = scan.date;
    stamp += !scan.date.empty() && !scan.time.empty() ? " " : "";
    stamp += scan.time;
    if (!stamp.empty()) {
        text += ", ";
        text += stamp;
    }
    return text;
}

std::string LiveStatusLine(const AppState& state, const LiveTail& live) {
    std::string line = "Live: ";
    switch (live.outcome) {
        case LiveOutcome::Slot: {
            line += LiveSlotText(state, live.scan);
            const std::string& stray =
                live.scan.strayStartLines.at(static_cast<std::size_t>(*live.scan.live));
            // Short enough for the status line: its block ran on into the next.
            if (!stray.empty()) {
                line += "; its block holds \"";
                line += stray;
                line += '"';
            }
            break;
        }
        case LiveOutcome::NoneOfTheSeven:
            line += "none of the seven";
            break;
        case LiveOutcome::NoTailFile:
            line += "no tail file yet";
            break;
        case LiveOutcome::Failed:
            line += "unknown, a file cannot be read";
            break;
    }
    return line;
}

int PrintLiveSlot(const AppState& state, Services& services, TextOutput& output) {
    const LiveTail live = FindLiveTail(state, services.files);
    const std::string files = FileLine("Base file", state.Source) + FileLine("Tail file", state.Dest);
    if (const std::optional<int> status = NoLiveSlotStatus(live, services)) {
        if (*status == kNoLiveStatus) {
            output.Write(NoLiveSlotText(live.outcome) + "\n" + files);
        }
        return *status;
    }
    std::string line = state.KeyName.at(static_cast<std::size_t>(*live.scan.live));
    line += ' ';
    line += LiveSlotText(state, live.scan);
    line += '\n';
    output.Write(line + files);
    return 0;
}

int RefreshLiveSlot(AppState& state, Services& services) {
    int status = 0;
    const std::optional<int> live = LiveSlotOrReport(state, services, " Nothing was written.", status);
    if (!live) {
        return status;
    }
    state.NoMsg = FlagText(true);
    return ApplyTail(state, services, *live) ? 0 : 1;
}

int PrintSlotText(AppState& state, Services& services, std::optional<int> slot, TextOutput& output) {
    int status = 0;
    if (!slot) {
        slot = LiveSlotOrReport(state, services, " Nothing was printed.", status);
    }
    if (!slot) {
        return status;
    }
    std::optional<std::string> text = PreviewTailText(state, services, *slot, "\n");
    if (!text) {
        return 1;
    }
    // As the tail file would end: a last line that is not empty gets its line end.
    EndLastLine(*text);
    output.Write(*text);
    return 0;
}

int ListSlots(const AppState& state, Services& services, TextOutput& output) {
    const LiveTail listed = ScanBaseFile(state, services.files, {});
    if (listed.outcome == LiveOutcome::Failed) {
        services.messages.Show(listed.failure, MessageKind::Warning);
        return 1;
    }
    std::string text;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        text += state.KeyName.at(slot);
        text += ' ';
        text += state.Caption.at(slot);
        text += ": ";
        text += PresenceText(listed.scan.blocks.at(slot));
        if (const std::string& stray = listed.scan.strayStartLines.at(slot); !stray.empty()) {
            text += ", but it holds the start line of another slot, \"";
            text += stray;
            text += "\": is an end line mistyped?";
        }
        text += '\n';
    }
    output.Write(text + FileLine("Base file", state.Source));
    return 0;
}

}  // namespace tarnwick
