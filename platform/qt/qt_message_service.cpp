#include "platform/qt/qt_message_service.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <memory>

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

// The command-line mode shows its message before any window exists; it then
// needs an application object of its own, made only on that first message.
void EnsureApplication() {
    static int argc = 1;
    static char name[] = "tarnwick";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> application;
    if (QApplication::instance() == nullptr) {
        FontPreload fonts;
        application = std::make_unique<QApplication>(argc, argv);
    }
}

}  // namespace

void QtMessageService::Show(std::string_view text, MessageKind kind) {
    EnsureApplication();
    QString body = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(IconOf(kind), QStringLiteral("Set Vellicor"), body, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace tarnwick
