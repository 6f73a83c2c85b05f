#include "spreadsheet/cell.h"

#include "base/numberformat.h"

namespace korvel {

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::optional<KCellAddress> ParseCellAddress(std::string_view text) {
    std::size_t i = 0;
    long column = 0;
    for (; i < text.size() && IsLetter(text[i]); ++i) {
        const char upper = static_cast<char>(text[i] & ~0x20);
        column = column * 26 + (upper - 'A' + 1);
        if (column > kMaxAddressColumn) return std::nullopt;
    }
    if (i == 0 || i == text.size()) return std::nullopt;
    long row = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) return std::nullopt;
        row = row * 10 + (text[i] - '0');
        if (row > kMaxAddressRow) return std::nullopt;
    }
    if (row < 1) return std::nullopt;
    return KCellAddress{static_cast<int>(row), static_cast<int>(column)};
}

std::string ColumnLetters(int column) {
    std::string letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters;
}

std::string FormatCellAddress(const KCellAddress& address) {
    return ColumnLetters(address.column) + std::to_string(address.row);
}

std::string CellText(const KCellValue& value) {
    switch (value.kind) {
        case KCellValue::Kind::Empty:
            return {};
        case KCellValue::Kind::Number:
            return StoredNumberText(value.number);
        case KCellValue::Kind::Boolean:
            return value.number != 0.0 ? "TRUE" : "FALSE";
        case KCellValue::Kind::Text:
        case KCellValue::Kind::Error:
            return value.text;
    }
    return {};
}

std::optional<double> TextToNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return 0.0;
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    }
    return ParseDouble(text);
}

std::optional<double> LoadNumber(const KCellValue& value) {
    switch (value.kind) {
        case KCellValue::Kind::Empty:
            return 0.0;
        case KCellValue::Kind::Number:
        case KCellValue::Kind::Boolean:
            return value.number;
        case KCellValue::Kind::Text:
            return TextToNumber(value.text);
        case KCellValue::Kind::Error:
            return std::nullopt;
    }
    return std::nullopt;
}

std::string StoredNumberText(double value) {
    return FormatGeneral(value, 15);
}

}  // namespace korvel
