#include "platform/qt/qt_message_service.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <optional>

#include "platform/qt/font_preload.h"

namespace tarnwick {

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The application object a message box needs. The command-line mode has
// none: it gets one that lives exactly as long as its box, so it is gone
// before the program ends. One kept until the process exits would be
// destroyed by the exit handlers after Qt's own, and crash there.
class BoxApplication {
public:
    BoxApplication() {
        if (QApplication::instance() == nullptr) {
            FontPreload fonts;
            application_.emplace(argc_, argv_);
        }
    }

private:
    // QApplication keeps references to these for its whole life.
    int argc_ = 1;
    char name_[9] = "tarnwick";
    char* argv_[2] = {name_, nullptr};
    std::optional<QApplication> application_;
};

}  // namespace

void QtMessageService::Show(std::string_view text, MessageKind kind) {
    const BoxApplication application;
    QString body = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(IconOf(kind), QStringLiteral("Set Vellicor"), body, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace tarnwick
