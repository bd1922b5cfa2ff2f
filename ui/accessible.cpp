#include "ui/accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QPushButton>

#include "core/app_state.h"
#include "ui/ui_common.h"

namespace tarnwick {

namespace {

// The button's own flag rather than Qt's checked state: a checkable push
// button is drawn pressed in, a click would clear it, and a screen reader
// would take it for a check box whose only action toggles it.
constexpr char kLiveProperty[] = "tarnwickLive";

bool IsLive(const QObject* button) {
    return button->property(kLiveProperty).toBool();
}

// A push button, as Qt describes one, that can also be checked.
class LiveSlotAccessible final : public QAccessibleWidget {
public:
    explicit LiveSlotAccessible(QPushButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Accelerator) {
            return QKeySequence::mnemonic(Button()->text()).toString(QKeySequence::NativeText);
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = IsLive(Button());
        state.pressed = Button()->isDown();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (Button()->isEnabled()) {
            names << pressAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction()) {
            if (Button()->isEnabled()) {
                Button()->animateClick();
            }
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction()) {
            return {Button()->shortcut().toString(QKeySequence::NativeText)};
        }
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    QPushButton* Button() const { return static_cast<QPushButton*>(widget()); }
};

QAccessibleInterface* LiveSlotFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QPushButton") && object->property(kLiveProperty).isValid()) {
        return new LiveSlotAccessible(static_cast<QPushButton*>(object));
    }
    return nullptr;
}

}  // namespace

QString SlotName(int slot, std::string_view caption) {
    const QString name = FromLocal(caption).trimmed();
    return name.isEmpty() ? FromLocal(kSlotKeyNames[slot]) : name;
}

void ExposeLiveState(QPushButton* button) {
    static const bool installed = (QAccessible::installFactory(LiveSlotFactory), true);
    (void)installed;
    button->setProperty(kLiveProperty, false);
}

void SetLiveState(QPushButton* button, bool live) {
    if (IsLive(button) == live) {
        return;
    }
    button->setProperty(kLiveProperty, live);
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(button, changed);
    QAccessible::updateAccessibility(&event);
}

}  // namespace tarnwick
