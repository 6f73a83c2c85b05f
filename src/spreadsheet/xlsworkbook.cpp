#include "spreadsheet/xlsworkbook.h"

#include <freexl.h>

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace korvel {

namespace {

// The most columns a legacy sheet has (IV).
constexpr int kXlsMaxColumn = 256;

std::uint64_t CellKey(int row, int column) {
    return (static_cast<std::uint64_t>(row) << 16) | static_cast<std::uint64_t>(column);
}

class KXlsSheet final : public KSheet {
public:
    KXlsSheet(std::string name, std::string path)
        : KSheet(std::move(name)), path_(std::move(path)) {}

    KCellValue Read(const KCellAddress& address) const override {
        const auto found = cells_.find(CellKey(address.row, address.column));
        return found == cells_.end() ? KCellValue{} : found->second;
    }
    bool Write(const KCellAddress&, double, std::string& error) override {
        error = XlsReadOnlyReason(path_);
        return false;
    }
    void Put(int row, int column, KCellValue value) {
        cells_[CellKey(row, column)] = std::move(value);
    }

private:
    std::string path_;
    std::unordered_map<std::uint64_t, KCellValue> cells_;
};

class KXlsWorkbook final : public KWorkbook {
public:
    explicit KXlsWorkbook(std::string path) : KWorkbook(std::move(path)) {}

    bool Load(std::string& error);
    int SheetCount() const override { return static_cast<int>(sheets_.size()); }
    KSheet& SheetAt(int index) override { return *sheets_.at(static_cast<std::size_t>(index)); }
    bool CanWrite(std::string& reason) const override {
        reason = XlsReadOnlyReason(Path());
        return false;
    }
    bool Changed() const override { return false; }
    bool Serialize(std::string&, std::string& error) const override {
        error = XlsReadOnlyReason(Path());
        return false;
    }

protected:
    void MarkSaved(std::string) override {}

private:
    bool LoadSheet(const void* handle, KXlsSheet& sheet, std::string& error);
    std::vector<std::unique_ptr<KXlsSheet>> sheets_;
};

// Closes the library's handle however the reading ends.
struct Handle {
    const void* handle = nullptr;
    ~Handle() {
        if (handle != nullptr) freexl_close(handle);
    }
};

KCellValue Convert(const FreeXL_CellValue& cell) {
    switch (cell.type) {
        case FREEXL_CELL_INT:
            return KCellValue::Number(cell.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return KCellValue::Number(cell.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            return KCellValue::Text(cell.value.text_value ? cell.value.text_value : "");
        default:
            return {};
    }
}

bool KXlsWorkbook::LoadSheet(const void* handle, KXlsSheet& sheet, std::string& error) {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        error = "the dimensions of sheet \"" + sheet.Name() + "\" cannot be read";
        return false;
    }
    // Whether the dimensions are counts or last indexes varies; one more of
    // each is asked for, and a cell outside the sheet is skipped.
    const unsigned int rowLimit = std::min<unsigned int>(rows + 1, kMaxSheetRow);
    const unsigned columnLimit = std::min<unsigned>(columns + 1u, kXlsMaxColumn);
    for (unsigned int r = 0; r < rowLimit; ++r) {
        for (unsigned c = 0; c < columnLimit; ++c) {
            FreeXL_CellValue cell;
            const int got = freexl_get_cell_value(handle, r, static_cast<unsigned short>(c), &cell);
            if (got == FREEXL_ILLEGAL_CELL_ROW_COL) continue;
            if (got != FREEXL_OK) {
                error = "a cell of sheet \"" + sheet.Name() + "\" cannot be read";
                return false;
            }
            KCellValue value = Convert(cell);
            if (value.kind != KCellValue::Kind::Empty)
                sheet.Put(static_cast<int>(r) + 1, static_cast<int>(c) + 1, std::move(value));
        }
    }
    return true;
}

bool KXlsWorkbook::Load(std::string& error) {
    Handle h;
    const int opened = freexl_open(Path().c_str(), &h.handle);
    if (opened != FREEXL_OK) {
        error = "not a readable .xls workbook (error " + std::to_string(opened) + ")";
        return false;
    }
    unsigned int password = 0;
    if (freexl_get_info(h.handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED) {
        error = "the workbook is protected by a password";
        return false;
    }
    unsigned int count = 0;
    if (freexl_get_info(h.handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0) {
        error = "the workbook has no sheets";
        return false;
    }
    for (unsigned int i = 0; i < count && i < 65536; ++i) {
        const char* name = nullptr;
        const auto index = static_cast<unsigned short>(i);
        if (freexl_get_worksheet_name(h.handle, index, &name) != FREEXL_OK ||
            freexl_select_active_worksheet(h.handle, index) != FREEXL_OK) {
            error = "sheet " + std::to_string(i + 1) + " cannot be read";
            return false;
        }
        auto sheet = std::make_unique<KXlsSheet>(name ? name : "", Path());
        if (!LoadSheet(h.handle, *sheet, error)) return false;
        sheets_.push_back(std::move(sheet));
    }
    return true;
}

}  // namespace

std::string XlsReadOnlyReason(const std::string& path) {
    return "\"" + path +
           "\" is a legacy .xls workbook, which can be read but not written; save it as .xlsx "
           "to store values in it";
}

std::unique_ptr<KWorkbook> OpenXlsWorkbook(const std::string& path, std::string& error) {
    auto book = std::make_unique<KXlsWorkbook>(path);
    if (!book->Load(error)) return nullptr;
    return book;
}

}  // namespace korvel
