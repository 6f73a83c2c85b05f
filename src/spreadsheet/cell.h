// Cells of a workbook: their addresses, their values and the conventions the
// spreadsheet blocks rely on.
//
// An address is column letters followed by a decimal row ("A12", "ab7");
// letters may be of either case. Rows and columns count from 1. A cell's value
// is what the workbook file holds: nothing, a number, a text, a boolean or an
// error code. Loading turns any of them into a double: nothing and empty text
// give 0.0, a number itself, a boolean 1 or 0, text the number it spells.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// The largest row any workbook kind addresses; blocks limit their row to it.
inline constexpr int kMaxSheetRow = 65536;
// The largest row and column an address may name (the limits of the newer
// workbook kind; a back end may allow fewer).
inline constexpr int kMaxAddressRow = 1048576;
inline constexpr int kMaxAddressColumn = 16384;

struct KCellAddress {
    int row = 1;     // 1-based
    int column = 1;  // 1-based: A = 1, Z = 26, AA = 27
    friend bool operator==(const KCellAddress&, const KCellAddress&) = default;
};

// The address of a text such as "B12"; nothing for a text that is not one
// (no letters, no row, row 0, anything else in it, beyond the limits above).
std::optional<KCellAddress> ParseCellAddress(std::string_view text);
// The column letters of a 1-based column: 1 -> "A", 28 -> "AB".
std::string ColumnLetters(int column);
// "B12" for row 12, column 2.
std::string FormatCellAddress(const KCellAddress& address);

struct KCellValue {
    enum class Kind { Empty, Number, Text, Boolean, Error };
    Kind kind = Kind::Empty;
    double number = 0.0;  // Number, and Boolean as 1 or 0
    std::string text;     // Text, and the code of an Error ("#DIV/0!")

    static KCellValue Number(double x) { return {Kind::Number, x, {}}; }
    static KCellValue Text(std::string t) { return {Kind::Text, 0.0, std::move(t)}; }
    static KCellValue Boolean(bool b) { return {Kind::Boolean, b ? 1.0 : 0.0, {}}; }
};

// The text a cell reads as: empty for an empty cell, the general-format text
// with 15 significant digits for a number, "TRUE"/"FALSE", the text itself.
std::string CellText(const KCellValue& value);

// The text-to-double rule: blanks around the number and one leading '+' are
// allowed, the rest must be a decimal number ("." as separator, optional
// exponent). Empty (or blank) text gives 0.0. Nothing when it does not convert.
std::optional<double> TextToNumber(std::string_view text);

// What a load reads from the cell: see the header comment. Nothing for text
// that does not convert and for error codes.
std::optional<double> LoadNumber(const KCellValue& value);

// The text a stored double is written as: general format, at most 15
// significant digits (1e+20, 0.1, -2.5).
std::string StoredNumberText(double value);

}  // namespace korvel
