#include "app/dialogs/initmemo.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace korvel {

namespace {

QSize rememberedSize;  // the memo dialog's size for this session

// A program editor with a gutter of line numbers.
class KNumberedEdit final : public QPlainTextEdit {
public:
    explicit KNumberedEdit(QWidget* parent) : QPlainTextEdit(parent), gutter_(new Gutter(this)) {
        connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { UpdateMargins(); });
        connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& r, int dy) {
            if (dy != 0)
                gutter_->scroll(0, dy);
            else
                gutter_->update(0, r.y(), gutter_->width(), r.height());
        });
        UpdateMargins();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QPlainTextEdit::resizeEvent(event);
        const QRect cr = contentsRect();
        gutter_->setGeometry(cr.left(), cr.top(), GutterWidth(), cr.height());
    }

private:
    struct Gutter final : QWidget {
        explicit Gutter(KNumberedEdit* edit) : QWidget(edit), edit_(edit) {}
        void paintEvent(QPaintEvent*) override { edit_->PaintGutter(*this); }
        KNumberedEdit* edit_;
    };

    int GutterWidth() const {
        const int digits = QString::number(std::max(1, blockCount())).size();
        return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(3, digits);
    }
    void UpdateMargins() { setViewportMargins(GutterWidth(), 0, 0, 0); }
    void PaintGutter(QWidget& gutter) {
        QPainter painter(&gutter);
        painter.fillRect(gutter.rect(), palette().window());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        QTextBlock block = firstVisibleBlock();
        int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
        while (block.isValid() && top <= gutter.height()) {
            if (block.isVisible())
                painter.drawText(0, top, gutter.width() - 4, fontMetrics().height(),
                                 Qt::AlignRight, QString::number(block.blockNumber() + 1));
            top += qRound(blockBoundingRect(block).height());
            block = block.next();
        }
    }

    Gutter* gutter_;
};

}  // namespace

TKInitMemoF::TKInitMemoF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                         std::string_view units, const QString& text, KMemoKind kind)
    : TKValueDialogF(parent, editable, where, name, units,
                     kind == KMemoKind::Program ? "Write Program" : "Initialize Documentation",
                     kind == KMemoKind::Program ? "View Program" : "View Documentation") {
    if (kind == KMemoKind::Program) {
        memo_ = new KNumberedEdit(this);
        memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    } else {
        memo_ = new QPlainTextEdit(this);
    }
    memo_->setObjectName("MText");
    memo_->setPlainText(text);
    // A view-only memo can still be scrolled and copied from.
    AddValueControl(memo_);
    if (!editable) {
        memo_->setEnabled(true);
        memo_->setReadOnly(true);
    }
    memo_->setFocus();
    resize(rememberedSize.isValid() ? rememberedSize : QSize(560, 420));
    Finish();
}

TKInitMemoF::~TKInitMemoF() {
    rememberedSize = size();
}

QString TKInitMemoF::Text() const {
    return memo_->toPlainText();
}

}  // namespace korvel
