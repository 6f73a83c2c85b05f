// TKInitCmBF: a choice among the node's entries. On OK the typed or chosen
// text is looked up exactly (first match); text that matches no entry is
// announced and the choice stays as it was.
#pragma once

#include <QStringList>

#include "app/dialogs/dialogframe.h"

class QComboBox;

namespace korvel {

class Messages;

class TKInitCmBF final : public TKValueDialogF {
    Q_OBJECT
public:
    // An empty entry list is an internal fault: it is reported, and the
    // dialog then refuses every OK.
    TKInitCmBF(QWidget* parent, bool editable, QPoint where, std::string_view name,
               std::string_view units, const QStringList& entries, int index,
               Messages& messages);
    int Index() const { return index_; }
    QComboBox* ValueBox() const { return cmbValue_; }
    void accept() override;

private:
    Messages& messages_;
    QStringList entries_;
    QComboBox* cmbValue_ = nullptr;
    int index_ = 0;
};

}  // namespace korvel
