// KElement: everything placed on a page of a model, blocks and wires alike.
//
// Elements are owned by the collection (KElements). Their numbers are unique
// across blocks and wires of one model and are how files and references name
// elements; an element tells its collection when its number changes so that
// the collection's number index stays right.
#pragma once

#include <string_view>

namespace korvel {

class KElements;

// A rectangle in page pixels, right and bottom exclusive.
struct KRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Snaps a coordinate to the 10-pixel grid: nearest multiple of 10, halves away from zero.
int SnapToGrid(int v);

inline constexpr int kWireType = 100000;

class KElement {
public:
    KElement(int type, int idNumber, int page) : type_(type), idNumber_(idNumber), page_(page) {}
    KElement(const KElement&) = delete;
    KElement& operator=(const KElement&) = delete;
    virtual ~KElement() = default;

    int IDNumber() const { return idNumber_; }
    void SetIDNumber(int n);
    // Adds delta to the IDNumber only.
    void OffsetIDNumber(int delta) { SetIDNumber(idNumber_ + delta); }
    // Adds delta to the IDNumber and to the second number.
    void ShiftIDNumbers(int delta);

    int SecondNumber() const { return secondNumber_; }
    int ParentModule() const { return parentModule_; }
    void SetParentModule(int m) { parentModule_ = m; }
    int Type() const { return type_; }
    int Page() const { return page_; }
    void SetPage(int page) { page_ = page; }

    bool selected = false;
    bool clamped = false;

    virtual bool IsBlock() const { return false; }
    virtual bool IsWire() const { return false; }

    // The element's body bounds for selection by rectangle.
    virtual KRect Bounds() const = 0;
    // Selects the element when its body lies wholly inside the rectangle on that page.
    void SelectInRect(int page, const KRect& r);
    // Flips the selection on the same condition.
    void ToggleSelectInRect(int page, const KRect& r);

    // The collection that owns the element, told about number changes.
    void SetOwner(KElements* owner) { owner_ = owner; }
    KElements* Owner() const { return owner_; }

private:
    bool WhollyInside(int page, const KRect& r) const;

    int type_;
    int idNumber_;
    int secondNumber_ = -1;
    int parentModule_ = -1;
    int page_;
    KElements* owner_ = nullptr;
};

}  // namespace korvel
