#include "app/errordisplay.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace korvel {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* RightLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* Field(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setObjectName(name);
    edit->setAccessibleName(name);
    return edit;
}

}  // namespace

TKErrorDisplayF::TKErrorDisplayF(QWidget* parent) : QDialog(parent) {
    setObjectName("TKErrorDisplayF");
    setWindowTitle("Error Display");
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QGridLayout;
    number_ = Field("ENumber", this);
    description_ = Field("EDescription", this);
    advice_ = new QPlainTextEdit(this);
    advice_->setReadOnly(true);
    advice_->setObjectName("MWhatToDo");
    advice_->setAccessibleName("What to do");
    advice_->setMinimumHeight(80);
    top->addWidget(RightLabel("Error\nnumber", this), 0, 0);
    top->addWidget(number_, 0, 1);
    top->addWidget(RightLabel("Description", this), 1, 0);
    top->addWidget(description_, 1, 1);
    top->addWidget(RightLabel("What to do", this), 2, 0, Qt::AlignTop);
    top->addWidget(advice_, 2, 1);
    layout->addLayout(top);

    blockGroup_ = new QWidget(this);
    blockGroup_->setObjectName("PBlock");
    auto* block = new QGridLayout(blockGroup_);
    block->setContentsMargins(0, 0, 0, 0);
    blockName_ = Field("EBlockName", blockGroup_);
    sheet_ = Field("ESheet", blockGroup_);
    type_ = Field("EType", blockGroup_);
    block->addWidget(RightLabel("Block in\nexecution", blockGroup_), 0, 0);
    block->addWidget(blockName_, 0, 1);
    block->addWidget(RightLabel("Sheet", blockGroup_), 1, 0);
    block->addWidget(sheet_, 1, 1);
    block->addWidget(RightLabel("Type", blockGroup_), 2, 0);
    block->addWidget(type_, 2, 1);
    moduleGroup_ = new QWidget(blockGroup_);
    moduleGroup_->setObjectName("PModule");
    auto* module = new QGridLayout(moduleGroup_);
    module->setContentsMargins(0, 0, 0, 0);
    moduleName_ = Field("EModule", moduleGroup_);
    moduleFile_ = Field("EFileName", moduleGroup_);
    module->addWidget(RightLabel("Custom\nmodule", moduleGroup_), 0, 0);
    module->addWidget(moduleName_, 0, 1);
    module->addWidget(RightLabel("File Name", moduleGroup_), 1, 0);
    module->addWidget(moduleFile_, 1, 1);
    block->addWidget(moduleGroup_, 3, 0, 1, 2);
    layout->addWidget(blockGroup_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(520, 320);
}

void TKErrorDisplayF::Show(const KTwoLineMessage& message) {
    if (!message.caption.empty()) setWindowTitle(Q(message.caption));
    number_->setText(QString::number(message.number));
    description_->setText(Q(message.description));
    description_->setCursorPosition(0);
    advice_->setPlainText(Q(message.advice));
    blockGroup_->setVisible(message.hasBlock);
    if (!message.hasBlock) return;
    blockName_->setText(Q(message.block.name));
    sheet_->setText(Q(message.block.pageText));
    type_->setText(Q(message.block.typeName));
    moduleGroup_->setVisible(message.block.fromModule);
    moduleName_->setText(Q(message.block.moduleName));
    moduleFile_->setText(Q(message.block.moduleFile));
}

}  // namespace korvel
