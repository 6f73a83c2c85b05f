// TKSetCustModDirsF: the list of custom module directories. "Add..." appends
// the folder chosen in the directory picker (not twice, and not beyond the
// 20 the settings hold: a refused Add says so); "Delete" removes the
// selected line; OK answers the list for the caller to store.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace korvel {

class Messages;

class TKSetCustModDirsF final : public QDialog {
    Q_OBJECT
public:
    TKSetCustModDirsF(QWidget* parent, const std::vector<std::string>& dirs, Messages& messages);

    std::vector<std::string> Directories() const;
    QListWidget* List() const { return list_; }
    QPushButton* AddButton() const { return bAdd_; }
    QPushButton* DeleteButton() const { return bDelete_; }
    QPushButton* OkButton() const { return bOk_; }

    // The directory picker (tests replace it); "" when cancelled.
    std::function<QString()> askDirectory;

private:
    void Add();
    void Delete();

    Messages& messages_;
    QListWidget* list_ = nullptr;
    QPushButton* bAdd_ = nullptr;
    QPushButton* bDelete_ = nullptr;
    QPushButton* bOk_ = nullptr;
};

}  // namespace korvel
