// Where Qt takes its fonts from fontconfig.
#include <fontconfig/fontconfig.h>

#include <system_error>

#include "platform/qt/font_preload.h"

namespace tarnwick {

FontPreload::FontPreload() {
    try {
        // FcInit keeps what it reads as the configuration of the process;
        // Qt's own FcInit call then returns at once.
        thread_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: Qt reads the configuration itself, as always.
    }
}

FontPreload::~FontPreload() {
    Wait();
}

void FontPreload::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace tarnwick
