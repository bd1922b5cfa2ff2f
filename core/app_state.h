// The application state shared by the start-up, the tail engine and the
// windows. Main creates one and passes it on by reference.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr int kSlotCount = 7;

// Flag texts as stored in the settings file ("OF", not "OFF").
inline constexpr std::string_view kFlagOn = "ON";
inline constexpr std::string_view kFlagOff = "OF";

// A flag is set only when it is exactly "ON".
inline bool IsOn(std::string_view flag) {
    return flag == kFlagOn;
}
inline std::string FlagText(bool on) {
    return std::string(on ? kFlagOn : kFlagOff);
}

// The tail slot table: key names mark the blocks in the base file.
inline constexpr std::array<std::string_view, kSlotCount> kSlotKeyNames = {
    "OFFI-1", "OFFI-2", "PRIV-1", "PRIV-2", "PRIV-3", "PRIV-4", "PRIV-5"};
inline constexpr std::array<std::string_view, kSlotCount> kDefaultCaptions = {
    "Set Official 1", "Set Official 2", "Set Private 1", "Set Private 2",
    "Set Private 3",  "Set Private 4",  "Set Private 5"};

struct AppState {
    std::string Dest;    // tail file path
    std::string Source;  // base file path
    std::string NoMsg;   // flag texts
    std::string NoStop;
    std::string View;
    std::array<std::string, 8> KeyName;  // slots 0 to 6 are used
    std::array<std::string, 8> Caption;
    // Window positions in twips.
    std::int16_t MainTop = 0;
    std::int16_t MainLeft = 0;
    std::int16_t OptTop = 0;
    std::int16_t OptLeft = 0;
    std::int16_t ViewTop = 0;
    std::int16_t ViewLeft = 0;
};

// Fills KeyName and Caption with the slot table's defaults.
void FillSlotTable(AppState& state);

// The slot button text: caption + " (&" + slot + ")", the digit being the
// button's access key.
std::string ButtonText(int slot, std::string_view caption);

}  // namespace tarnwick
