// TKSelectDirectoryF: the folder picker. It starts in the bundled examples
// folder (where module files are kept beside the models) unless the caller
// names another folder.
#pragma once

#include <QFileDialog>

namespace korvel {

class TKSelectDirectoryF final : public QFileDialog {
    Q_OBJECT
public:
    explicit TKSelectDirectoryF(QWidget* parent, const QString& start = {});
    // Shows the picker; the chosen folder, or "" when cancelled.
    static QString Ask(QWidget* parent, const QString& start = {});
};

}  // namespace korvel
