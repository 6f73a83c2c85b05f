#include "app/dialogs/selectdirectory.h"

#include <QDir>

#include "app/platform.h"

namespace korvel {

TKSelectDirectoryF::TKSelectDirectoryF(QWidget* parent, const QString& start)
    : QFileDialog(parent, "Select Directory") {
    setObjectName("TKSelectDirectoryF");
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, true);
    const QString folder = !start.isEmpty() && QDir(start).exists() ? start : ExamplesFolder();
    setDirectory(folder);
}

QString TKSelectDirectoryF::Ask(QWidget* parent, const QString& start) {
    TKSelectDirectoryF dialog(parent, start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace korvel
