#include "platform/qt/qt_file_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <optional>

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

QStringList LocalPaths(const std::vector<std::string>& paths) {
    QStringList local;
    for (const std::string& path : paths) {
        local << QFileInfo(Local(path)).absoluteFilePath();
    }
    return local;
}

// The folders that hold `files`, each once.
QStringList FoldersOf(const QStringList& files) {
    QStringList folders;
    for (const QString& file : files) {
        folders << QFileInfo(file).absolutePath();
    }
    folders.removeDuplicates();
    return folders;
}

// Shortcuts in Qt's own dialog: their folders after the standard places and
// in the "Look in" list, and entering such a folder selects the shortcut in
// it. Qt keeps a dialog's places and history for every Qt program the user
// runs, so they are put back as they were before the dialog goes.
class Shortcuts {
public:
    Shortcuts(QFileDialog& dialog, const QStringList& files) : dialog_(dialog), files_(files) {
        places_ = dialog_.sidebarUrls();
        history_ = dialog_.history();
        QList<QUrl> places = places_;
        for (const QString& folder : FoldersOf(files_)) {
            if (!places.contains(QUrl::fromLocalFile(folder))) {
                places << QUrl::fromLocalFile(folder);
            }
        }
        dialog_.setSidebarUrls(places);
        dialog_.setHistory(history_ + FoldersOf(files_));
        entered_ = QObject::connect(&dialog_, &QFileDialog::directoryEntered, &dialog_,
                                    [this](const QString& folder) { SelectIn(folder); });
    }
    ~Shortcuts() {
        QObject::disconnect(entered_);
        dialog_.setSidebarUrls(places_);
        dialog_.setHistory(history_);
    }
    Shortcuts(const Shortcuts&) = delete;
    Shortcuts& operator=(const Shortcuts&) = delete;

    // Selects the first shortcut in `folder`. By its whole path, so that the
    // list shows it even where it would hide it: ~/.signature is hidden and
    // matches no text file filter.
    void SelectIn(const QString& folder) {
        const QString cleaned = QDir::cleanPath(folder);
        for (const QString& file : files_) {
            if (QFileInfo(file).absolutePath() == cleaned) {
                dialog_.selectFile(file);
                return;
            }
        }
    }

    // Qt adds the default extension to any name without a dot, a shortcut's
    // too ("signature" would become "signature.TXT"): a shortcut chosen is
    // given back as it is.
    QString AsChosen(const QString& chosen, const QString& extension) const {
        for (const QString& file : files_) {
            if (!extension.isEmpty() && chosen == file + QLatin1Char('.') + extension &&
                !QFileInfo::exists(chosen)) {
                return file;
            }
        }
        return chosen;
    }

private:
    QFileDialog& dialog_;
    QStringList files_;
    QList<QUrl> places_;
    QStringList history_;
    QMetaObject::Connection entered_;
};

}  // namespace

std::string QtFileDialogs::Ask(const FileDialogRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), Local(request.title));
    if (!request.shortcuts.empty()) {
        // The systems' own dialogs ignore added places.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    }
    dialog.setNameFilters(NameFilters(request.filter));
    if (!request.initialFolder.empty()) {
        dialog.setDirectory(Local(request.initialFolder));
    }
    dialog.selectFile(Local(request.initialName));
    std::optional<Shortcuts> shortcuts;
    if (!request.shortcuts.empty()) {
        shortcuts.emplace(dialog, LocalPaths(request.shortcuts));
        // A shortcut where the dialog starts is a likelier choice than a new file.
        if (!QFileInfo::exists(dialog.directory().filePath(Local(request.initialName)))) {
            shortcuts->SelectIn(dialog.directory().absolutePath());
        }
    }
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
    const QString chosen = dialog.selectedFiles().front();
    return (shortcuts ? shortcuts->AsChosen(chosen, Local(request.defaultExtension)) : chosen)
        .toLocal8Bit()
        .toStdString();
}

}  // namespace tarnwick
