#include "base/texthelpers.h"

#include <algorithm>

namespace korvel {

namespace {

constexpr std::string_view kFolderSeparators = "\\/";
constexpr std::string_view kFieldSeparators = " \t\r\n,";
constexpr std::string_view kNonIdentifierCharacters = " -()+^/";

std::string ReplaceAll(std::string_view text, char from, char to) {
    std::string result(text);
    std::replace(result.begin(), result.end(), from, to);
    return result;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsAllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}

std::string ReplaceCommas(std::string_view text) {
    return ReplaceAll(text, ',', '-');
}

std::string FileFolder(std::string_view path) {
    const auto separator = path.find_last_of(kFolderSeparators);
    if (separator == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, separator));
}

std::string FileNameOnly(std::string_view path) {
    const auto separator = path.find_last_of(kFolderSeparators);
    if (separator == std::string_view::npos) {
        return std::string(path);
    }
    return std::string(path.substr(separator + 1));
}

std::string NameBeforeDot(std::string_view name) {
    return std::string(name.substr(0, name.find('.')));
}

std::string SlashesForBackslashes(std::string_view text) {
    return ReplaceAll(text, '\\', '/');
}

std::string MakeIdentifier(std::string_view text) {
    std::string identifier;
    identifier.reserve(text.size() + 1);
    if (!text.empty() && IsDigit(text.front())) {
        identifier += 'x';
    }
    for (const char c : text) {
        const bool replace = kNonIdentifierCharacters.find(c) != std::string_view::npos;
        identifier += replace ? '_' : c;
    }
    return identifier;
}

std::vector<std::string> SplitFields(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t position = 0;
    while (true) {
        const auto start = text.find_first_not_of(kFieldSeparators, position);
        if (start == std::string_view::npos) {
            break;
        }
        const auto end = std::min(text.find_first_of(kFieldSeparators, start), text.size());
        fields.emplace_back(text.substr(start, end - start));
        position = end;
    }
    return fields;
}

int SplitFields(std::string_view text, std::vector<std::string>& list, int capacity) {
    list = SplitFields(text);
    const auto slots = static_cast<std::size_t>(std::max(capacity, 0));
    if (list.size() > slots) {
        list.resize(slots);
        return -2;
    }
    return static_cast<int>(list.size());
}

}  // namespace korvel
