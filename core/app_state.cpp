#include "core/app_state.h"

namespace tarnwick {

void FillSlotTable(AppState& state) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        state.KeyName[slot] = kSlotKeyNames[slot];
        state.Caption[slot] = kDefaultCaptions[slot];
    }
}

std::string ButtonText(int slot, std::string_view caption) {
    std::string text(caption);
    text += " (&";
    text += static_cast<char>('0' + slot);
    text += ')';
    return text;
}

}  // namespace tarnwick
