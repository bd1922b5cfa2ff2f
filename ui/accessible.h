// What a screen reader is told of the windows beyond what Qt tells it by
// itself: the names of the slot buttons.
#pragma once

#include <QString>
#include <string_view>

namespace tarnwick {

// A slot's name for a screen reader: its whole caption, however the button
// shortens it, or its key name where the caption is blank.
QString SlotName(int slot, std::string_view caption);

}  // namespace tarnwick
