// A Qt plugin the end-to-end tests load into the program through
// QT_QPA_GENERIC_PLUGINS=<key>:<file>. It appends each message box the
// program shows to the file as "box [<title>] <kind>: <text>". With the key
// "answerboxes" it also presses Return in the box, for a platform that has
// no keyboard (offscreen); with "recordboxes" the test answers it.
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QKeyEvent>
#include <QMessageBox>
#include <utility>

namespace {

QByteArray KindOf(QMessageBox::Icon icon) {
    switch (icon) {
        case QMessageBox::Information:
            return "information";
        case QMessageBox::Warning:
            return "warning";
        case QMessageBox::Critical:
            return "error";
        default:
            return "other";
    }
}

class BoxWatch final : public QObject {
public:
    BoxWatch(QString file, bool answer) : file_(std::move(file)), answer_(answer) {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (event->type() == QEvent::Show && box != nullptr) {
            Record(*box);
            if (answer_) {
                // Handled once the box waits for its answer, as a key would be.
                QCoreApplication::postEvent(box,
                                            new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
            }
        }
        return false;
    }

private:
    void Record(const QMessageBox& box) const {
        QFile file(file_);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            file.write("box [" + box.windowTitle().toUtf8() + "] " + KindOf(box.icon()) + ": " +
                       box.text().toUtf8() + "\n");
        }
    }

    QString file_;
    bool answer_;
};

}  // namespace

class BoxPlugin final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "box_plugin.json")
public:
    QObject* create(const QString& key, const QString& parameters) override {
        return new BoxWatch(parameters, key == QStringLiteral("answerboxes"));
    }
};

#include "box_plugin.moc"
