// What a screen reader is told of the windows beyond what Qt tells it by
// itself: the names of the slot buttons and which slot is live.
#pragma once

#include <QString>
#include <string_view>

class QPushButton;

namespace tarnwick {

// A slot's name for a screen reader: its whole caption, however the button
// shortens it, or its key name where the caption is blank.
QString SlotName(int slot, std::string_view caption);

// Lets a slot button tell whether its slot is live as a checked state, which
// screen readers announce, while it stays a push button to the user: a
// click applies the slot and never unchecks it, and it looks as before.
// Call it right after the button is made, before anything asks about it.
void ExposeLiveState(QPushButton* button);

// Sets that state, telling a screen reader of a change.
void SetLiveState(QPushButton* button, bool live);

}  // namespace tarnwick
