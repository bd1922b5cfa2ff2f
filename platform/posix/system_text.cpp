#include "platform/system_text.h"

namespace tarnwick {

std::filesystem::path NativePath(const std::string& text) {
    return text;
}

}  // namespace tarnwick
