#include "app/dialogs/initinputmult.h"

#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "model/unitmultipliers.h"

namespace korvel {

TKInitInputMultF::TKInitInputMultF(QWidget* parent, bool editable, QPoint where,
                                   std::string_view name, std::string_view units, double value,
                                   bool intoBase, Messages& messages)
    : TKInitDoubleF(parent, editable, where, name, units, value, messages,
                    "Initialize Scaling Multiplier", "View Value") {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("PCUnits");
    for (std::string_view tab : kUnitTabs) {
        auto* sheet = new QWidget(tabs);
        auto* column = new QVBoxLayout(sheet);
        for (const KUnitConversion& c : kUnitConversions) {
            if (c.tab != tab) continue;
            const std::string_view text = intoBase ? c.into : c.outOf;
            auto* button = new QPushButton(QString::fromUtf8(text.data(), int(text.size())), sheet);
            button->setAutoDefault(false);
            const double factor = intoBase ? c.forward : c.reverse;
            connect(button, &QPushButton::clicked, this, [this, factor] { ShowExact(factor); });
            column->addWidget(button);
        }
        column->addStretch(1);
        tabs->addTab(sheet, QString::fromUtf8(tab.data(), int(tab.size())));
    }
    tabs->setEnabled(editable);
    Body()->addWidget(tabs);
    Finish();
}

}  // namespace korvel
