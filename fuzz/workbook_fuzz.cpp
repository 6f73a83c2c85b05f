// Fuzz target for the .xlsx workbook reader and writer.
//
// Each input is opened as a workbook from memory. When it opens, every sheet
// is read over a small grid, one cell of each sheet is written, and the
// whole workbook is serialised; the result must open again, with the same
// sheets and the written values in place. A break of that is a trap, so the
// fuzzer keeps the input. Nothing touches the disk.
//
// Built with KORVEL_FUZZ_REPLAY the same file is a plain program (replaymain.h)
// that replays every file of the folders named on its command line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "replaymain.h"
#include "spreadsheet/workbook.h"

namespace {

using namespace korvel;

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "workbook_fuzz: %s\n", what);
    __builtin_trap();
}

constexpr KCellAddress kWritten{3, 2};  // B3

void Exercise(const std::string& bytes) {
    std::string error;
    auto book = OpenWorkbookBytes("fuzz.xlsx", bytes, error);
    if (!book) {
        Require(!error.empty(), "a refused workbook gives no reason");
        return;
    }
    std::vector<bool> written;
    for (int s = 0; s < book->SheetCount(); ++s) {
        KSheet& sheet = book->SheetAt(s);
        for (int row = 1; row <= 20; ++row)
            for (int column = 1; column <= 5; ++column) (void)LoadNumber(sheet.Read({row, column}));
        written.push_back(sheet.Write(kWritten, 0.25 + s, error));
    }
    std::string saved;
    if (!book->Serialize(saved, error)) return;
    auto again = OpenWorkbookBytes("fuzz.xlsx", saved, error);
    Require(again != nullptr, "a saved workbook does not open again");
    Require(again->SheetCount() == book->SheetCount(), "a saved workbook has other sheets");
    for (int s = 0; s < again->SheetCount(); ++s) {
        Require(again->SheetAt(s).Name() == book->SheetAt(s).Name(), "a sheet changed its name");
        if (written[static_cast<std::size_t>(s)])
            Require(LoadNumber(again->SheetAt(s).Read(kWritten)) == 0.25 + s,
                    "a written cell does not read back");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Exercise(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
