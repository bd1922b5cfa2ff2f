#include "ui/accessible.h"

#include "core/app_state.h"
#include "ui/ui_common.h"

namespace tarnwick {

QString SlotName(int slot, std::string_view caption) {
    const QString name = FromLocal(caption).trimmed();
    return name.isEmpty() ? FromLocal(kSlotKeyNames[slot]) : name;
}

}  // namespace tarnwick
