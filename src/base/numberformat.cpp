#include "base/numberformat.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <system_error>

namespace korvel {

namespace {

constexpr int kMaxSignificantDigits = 40;
// Longest general-format text at 40 digits: sign, 40 digits, point, and either
// "e-308" or the "0.000" of a small fixed-form number. Generous on purpose.
constexpr int kFormatBufferSize = 64;

std::string PadLeft(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.insert(0, width - text.size(), ' ');
    }
    return text;
}

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// The number inside text typed by the user: blanks around it and one leading
// '+' removed. A second sign right after the '+' ("+-3", "++3") is refused
// here, because the strict parser would take the "-3" that is left.
std::optional<std::string_view> TypedNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            return std::nullopt;
        }
    }
    return text;
}

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text parses as a number only if it starts with a digit or a point (after
// an optional '-'). This shuts out the "inf", "nan" and "infinity" spellings
// that the library parser would otherwise accept.
bool StartsLikeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    return !text.empty() && (IsDecimalDigit(text.front()) || text.front() == '.');
}

std::string ConversionMessage(std::string_view text, std::string_view kind) {
    std::string message = "Cannot convert \"";
    message += text;
    message += "\" to ";
    message += kind;
    return message;
}

}  // namespace

std::string FormatGeneral(double x, int significantDigits) {
    const int digits = std::clamp(significantDigits, 1, kMaxSignificantDigits);
    if (x == 0.0) {
        x = 0.0;  // turns -0.0 into +0.0
    }
    // to_chars follows printf's "%.*g" to the character but ignores the
    // locale, unlike snprintf, which would write "3,1416" under some locales.
    char buffer[kFormatBufferSize];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, digits);
    assert(result.ec == std::errc() && "the buffer holds any general format up to 40 digits");
    return std::string(buffer, result.ptr);
}

std::string FormatNumber(double x) {
    return PadLeft(FormatGeneral(x, 5), 7);
}

std::string FormatShortNumber(double x) {
    return PadLeft(FormatGeneral(x, 3), 6);
}

std::optional<double> ParseDouble(std::string_view text) {
    if (!StartsLikeNumber(text)) {
        return std::nullopt;
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    // from_chars is locale-free and reports overflow and underflow as
    // result_out_of_range instead of quietly answering inf or 0.
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseInteger(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, 10);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

double TextToDouble(std::string_view text, double previous, Messages& messages) {
    if (const auto number = TypedNumber(text)) {
        if (const auto value = ParseDouble(*number)) {
            return *value;
        }
    }
    messages.Box(kCaptionMessageBox, ConversionMessage(text, "a Number"), KButtons::Ok);
    return previous;
}

int TextToInteger(std::string_view text, int previous, Messages& messages) {
    if (const auto number = TypedNumber(text)) {
        if (const auto value = ParseInteger(*number)) {
            return *value;
        }
    }
    messages.Box(kCaptionMessageBox, ConversionMessage(text, "an Integer"), KButtons::Ok);
    return previous;
}

}  // namespace korvel
