// TKInitInputMultF: the scaling multiplier dialog. The number dialog with
// the unit conversion buttons on tabs; a button writes its factor in the
// number format and, left untouched, OK keeps the factor exactly.
#pragma once

#include "app/dialogs/initdouble.h"

namespace korvel {

class TKInitInputMultF final : public TKInitDoubleF {
    Q_OBJECT
public:
    // `intoBase`: a multiplier on a constant (buttons give the forward
    // factor); false for a display multiplier (the reverse factor).
    TKInitInputMultF(QWidget* parent, bool editable, QPoint where, std::string_view name,
                     std::string_view units, double value, bool intoBase, Messages& messages);
};

}  // namespace korvel
