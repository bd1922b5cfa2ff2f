#include "platform/qt/qt_file_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

namespace tarnwick {

namespace {

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

// "NAME|PATTERN|NAME|PATTERN" into Qt's filter list; a name that already
// shows its pattern in brackets is kept as it is.
QStringList NameFilters(const std::string& filter) {
    const QStringList parts = Local(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        filters << (name.endsWith(QLatin1Char(')')) ? name
                                                    : name + QStringLiteral(" (") + parts[i + 1] + ')');
    }
    return filters;
}

}  // namespace

std::string QtFileDialogs::Ask(const FileDialogRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), Local(request.title));
    dialog.setNameFilters(NameFilters(request.filter));
    if (!request.initialFolder.empty()) {
        dialog.setDirectory(Local(request.initialFolder));
    }
    dialog.selectFile(Local(request.initialName));
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    dialog.setDefaultSuffix(Local(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

}  // namespace tarnwick
