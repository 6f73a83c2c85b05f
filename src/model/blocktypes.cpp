// Lookups over the block type table. The records themselves are split by type
// number over blocktypes_0_49.cpp, blocktypes_50_99.cpp and
// blocktypes_100_148.cpp to keep each data file readable; this file joins them
// into one table indexed by type number.
#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "model/blocktype.h"
#include "model/blocktypes_parts.h"

namespace korvel {

namespace {

using Table = std::array<KBlockType, kBlockTypeCount>;

// The slices live in other translation units, so the joined table is built on
// first use (thread-safe local static) rather than at static initialisation,
// which would depend on the order the linker happens to pick.
const Table& JoinedTable() {
    static const Table table = [] {
        Table joined{};
        std::size_t next = 0;
        for (auto slice :
             {blocktypes_detail::BlockTypes0To49(), blocktypes_detail::BlockTypes50To99(),
              blocktypes_detail::BlockTypes100To148()}) {
            for (const KBlockType& type : slice) joined[next++] = type;
        }
        return joined;
    }();
    return table;
}

using TagEntry = std::pair<std::string_view, int>;

// Tags sorted once, so the model file reader's per-block lookup is a binary
// search rather than a scan of 149 string comparisons.
const std::array<TagEntry, kBlockTypeCount>& TagIndex() {
    static const std::array<TagEntry, kBlockTypeCount> index = [] {
        std::array<TagEntry, kBlockTypeCount> entries{};
        const Table& table = JoinedTable();
        for (int i = 0; i < kBlockTypeCount; ++i) entries[i] = {table[i].tag, i};
        std::sort(entries.begin(), entries.end());
        return entries;
    }();
    return index;
}

constexpr std::array<std::string_view, kPaletteCount> kPaletteCaptions = {
    "Instruments",     "Constants", "Meters",  "Misc",           "Math",   "Compare",
    "Logic",           "Waveforms", "Analog",  "Analog Filters", "F(s)",   "Digital",
    "Digital Filters", "F(z)",      "Program", "Custom",         "Motion", "COM",
};

}  // namespace

std::string_view PaletteCaption(KPalette page) {
    const auto i = static_cast<std::size_t>(page);
    return i < kPaletteCaptions.size() ? kPaletteCaptions[i] : std::string_view{};
}

std::span<const KBlockType> BlockTypes() {
    return JoinedTable();
}

const KBlockType* FindBlockType(int number) {
    if (number < 0 || number >= kBlockTypeCount) return nullptr;
    return &JoinedTable()[static_cast<std::size_t>(number)];
}

std::optional<int> FindBlockTypeByTag(std::string_view tag) {
    const auto& index = TagIndex();
    const auto it = std::lower_bound(
        index.begin(), index.end(), tag,
        [](const TagEntry& entry, std::string_view key) { return entry.first < key; });
    if (it == index.end() || it->first != tag) return std::nullopt;
    return it->second;
}

}  // namespace korvel
