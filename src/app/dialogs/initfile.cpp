#include "app/dialogs/initfile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/platform.h"

namespace korvel {

QString BrowseFolder(const QString& fileName) {
    if (fileName.trimmed().isEmpty()) return {};
    const QString host = QString::fromStdString(HostPath(fileName.trimmed().toStdString()));
    const QFileInfo info(host);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return QDir(folder).exists() ? folder : QString();
}

TKInitFileF::TKInitFileF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                         std::string_view units, const QString& value, const QString& filter)
    : TKValueDialogF(parent, editable, where, name, units, "Select File", "View File Name"),
      filter_(filter) {
    askFile = [this](const QString& folder, const QString& f) {
        return QFileDialog::getOpenFileName(this, "Select File", folder, f);
    };
    auto* label = new QLabel("File Name", this);
    label->setObjectName("LFileName");
    Body()->addWidget(label);
    auto* row = new QHBoxLayout;
    eValue_ = new QLineEdit(value, this);
    eValue_->setObjectName("EValue");
    eValue_->setMinimumWidth(320);
    eValue_->setEnabled(editable);
    bBrowse_ = new QPushButton("Browse...", this);
    bBrowse_->setObjectName("BBrowse");
    bBrowse_->setAutoDefault(false);
    bBrowse_->setEnabled(editable);
    connect(bBrowse_, &QPushButton::clicked, this, &TKInitFileF::Browse);
    row->addWidget(eValue_, 1);
    row->addWidget(bBrowse_);
    Body()->addLayout(row);
    eValue_->setFocus();
    Finish();
}

QString TKInitFileF::Value() const {
    return eValue_->text();
}

void TKInitFileF::Browse() {
    const QString chosen = askFile(BrowseFolder(eValue_->text()), filter_);
    if (!chosen.isEmpty()) eValue_->setText(QDir::toNativeSeparators(chosen));
}

}  // namespace korvel
