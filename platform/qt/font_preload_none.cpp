// Where Qt takes its fonts from the system directly and has no
// configuration to read first.
#include "platform/qt/font_preload.h"

namespace tarnwick {

FontPreload::FontPreload() = default;

FontPreload::~FontPreload() = default;

void FontPreload::Wait() {}

}  // namespace tarnwick
