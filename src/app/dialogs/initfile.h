// TKInitFileF: a file name. "Browse..." opens a file dialog in the folder of
// the file named in the box (Windows-style names mapped to host paths) and
// the chosen name replaces the text.
#pragma once

#include <functional>

#include "app/dialogs/dialogframe.h"

class QLineEdit;
class QPushButton;

namespace korvel {

// The folder a file dialog starts in for the name in the box: its folder
// when that exists, else "" (the file dialog's own default).
QString BrowseFolder(const QString& fileName);

class TKInitFileF final : public TKValueDialogF {
    Q_OBJECT
public:
    // `filter` as the file dialog takes it, for example
    // "Workbooks (*.xlsx *.xls)"; empty for all files.
    TKInitFileF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                std::string_view units, const QString& value, const QString& filter = {});
    QString Value() const;
    QLineEdit* ValueField() const { return eValue_; }
    QPushButton* BrowseButton() const { return bBrowse_; }

    // The file dialog (tests replace it): start folder and filter in, the
    // chosen name out ("" when cancelled).
    std::function<QString(const QString& folder, const QString& filter)> askFile;

private:
    void Browse();

    QString filter_;
    QLineEdit* eValue_ = nullptr;
    QPushButton* bBrowse_ = nullptr;
};

}  // namespace korvel
