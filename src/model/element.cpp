#include "model/element.h"

#include <cstdlib>

#include "model/elements.h"

namespace korvel {

namespace {
constexpr long long kMaxCoordinate = 2147483647LL;
}  // namespace

int SnapToGrid(int v) {
    // Nearest multiple of 10, halves away from zero: -5 -> -10, 4 -> 0, 5 -> 10.
    // Worked in 64 bits so that coordinates near the int limits cannot overflow.
    long long magnitude = (std::llabs(static_cast<long long>(v)) + 5) / 10 * 10;
    long long snapped = v < 0 ? -magnitude : magnitude;
    if (snapped > kMaxCoordinate) snapped -= 10;
    if (snapped < -kMaxCoordinate) snapped += 10;
    return static_cast<int>(snapped);
}

void KElement::SetIDNumber(int n) {
    if (n == idNumber_) return;
    int old = idNumber_;
    idNumber_ = n;
    if (owner_) owner_->NumberChanged(*this, old);
}

void KElement::ShiftIDNumbers(int delta) {
    SetIDNumber(idNumber_ + delta);
    secondNumber_ += delta;
}

bool KElement::WhollyInside(int page, const KRect& r) const {
    if (page != page_) return false;
    KRect b = Bounds();
    return b.left >= r.left && b.right <= r.right && b.top >= r.top && b.bottom <= r.bottom;
}

void KElement::SelectInRect(int page, const KRect& r) {
    if (WhollyInside(page, r)) selected = true;
}

void KElement::ToggleSelectInRect(int page, const KRect& r) {
    if (WhollyInside(page, r)) selected = !selected;
}

}  // namespace korvel
