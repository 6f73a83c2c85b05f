#include "engine/blocks_excel.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <filesystem>
#include <new>

#include "base/messages.h"
#include "base/numberformat.h"
#include "base/safefile.h"
#include "base/texthelpers.h"
#include "engine/benchtop.h"
#include "model/compiled.h"
#include "engine/runerror.h"
#include "model/block.h"
#include "model/elements.h"
#include "spreadsheet/workbook.h"

namespace korvel {

namespace {

constexpr std::string_view kOpenAdvice = "Ensure file name is value and file is valid Excel file.";

std::string NodeText(const KBlock& block, std::string_view node) {
    const KNode* found = block.FindNode(node);
    return found == nullptr ? std::string{} : found->Text();
}

// The run-time object of the Excel File block a Load, Store or motor block
// is bound to: the compile's binding when there is one, else the block
// whose IDNumber the node holds, -1 meaning the only Excel File block.
KLibraryExcelFile* BoundFile(KBenchTop& benchTop, KBlock& block) {
    const KBlock* target = nullptr;
    if (const KCompiled* compiled = benchTop.Compiled()) {
        const auto found = compiled->excelFileOf.find(&block);
        if (found != compiled->excelFileOf.end()) target = found->second;
    }
    const KNode* node = block.FindNode("Excel File");
    const double id = node == nullptr ? -1.0 : node->value;
    KLibraryClass* only = nullptr;
    int count = 0;
    for (KLibraryClass* object : benchTop.ComputeList()) {
        if (!object->IsSpreadsheetFile()) continue;
        ++count;
        only = object;
        const bool match =
            target != nullptr ? &object->Block() == target : object->Block().IDNumber() == id;
        if (match) return static_cast<KLibraryExcelFile*>(object);
    }
    if (target == nullptr && id == -1 && count == 1) return static_cast<KLibraryExcelFile*>(only);
    return nullptr;
}

}  // namespace

std::string ResolveWorkbookPath(const std::string& file, const std::string& modelFolder) {
    const std::filesystem::path path(SlashesForBackslashes(file));
    if (path.is_absolute() || modelFolder.empty()) return path.string();
    return (std::filesystem::path(modelFolder) / path).string();
}

// --- Excel File ----------------------------------------------------------------

KLibraryExcelFile::KLibraryExcelFile(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      fileText_(NodeText(block, "File")),
      visible_(NodeValue("Visible") > 0.5) {}

KLibraryExcelFile::~KLibraryExcelFile() {
    if (!book_) return;
    // A destructor must not throw; a failure to write is the one thing to
    // report, and Close reports it through the sink.
    try {
        KPosixFileSystem fs;
        (void)book_->Close(fs, BenchTop().Sink());
    } catch (const std::bad_alloc&) {
        BenchTop().Sink().ErrorBox("Could not write the workbook \"" + book_->Path() +
                                   "\": out of memory. The file was not changed.");
    }
}

bool KLibraryExcelFile::Open(const std::string& modelFolder, std::string& error) {
    tried_ = true;
    auto book = OpenWorkbook(ResolveWorkbookPath(fileText_, modelFolder), error);
    if (!book) return false;
    book->SetVisible(visible_);
    book_ = std::move(book);
    return true;
}

bool KLibraryExcelFile::OpenFiles(const std::string& modelFolder) {
    if (tried_) return book_ != nullptr;
    std::string error;
    if (Open(modelFolder, error)) return true;
    BenchTop().Sink().ErrorBox("Could not open file \"" + fileText_ + "\"\n" +
                               std::string(kOpenAdvice) + "\n" + error);
    return false;
}

KWorkbook& KLibraryExcelFile::Workbook() {
    assert(book_ && "a closed workbook is never acted on");
    return *book_;
}

// --- Trigger, sheet and cell ------------------------------------------------------

KLibraryExcelTriggered::KLibraryExcelTriggered(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      sheetName_(NodeText(block, "Sheet")),
      trigger_(In("Trigger")),
      triggerOut_(Out("Trigger Out")) {}

bool KLibraryExcelTriggered::OpenFiles(const std::string& modelFolder) {
    // Bound here rather than in the constructor, when every Excel File
    // object exists whatever the order of the blocks.
    file_ = BoundFile(BenchTop(), Block());
    if (file_ == nullptr) {
        BenchTop().Sink().ErrorBox("Invalid Excel File.\nThis is an internal fault.");
        return false;
    }
    return file_->OpenFiles(modelFolder);
}

bool KLibraryExcelTriggered::TriggerFires() {
    const double trigger = *trigger_;
    *triggerOut_ = trigger;
    if (file_ == nullptr || !file_->IsOpen()) return false;
    if (!armed_) {
        if (trigger < 0.5) armed_ = true;
        return false;
    }
    if (!(trigger > 0.5)) return false;
    armed_ = false;
    return true;
}

KSheet& KLibraryExcelTriggered::Sheet() {
    if (sheet_ == nullptr) {
        KWorkbook& book = file_->Workbook();
        sheet_ = book.FindSheet(sheetName_);
        if (sheet_ == nullptr)
            throw KRunError("Excel sheet not found. The workbook \"" + book.Path() +
                            "\" has no sheet named \"" + sheetName_ + "\"");
    }
    return *sheet_;
}

KCellAddress KLibraryExcelTriggered::CellAt(const std::string& column, double row) const {
    if (std::isnan(row)) throw KRunError("the \"Row\" input is not a number");
    const double limited = std::clamp(std::floor(row), 1.0, static_cast<double>(kMaxSheetRow));
    const std::string text = column + std::to_string(static_cast<int>(limited));
    const auto address = ParseCellAddress(text);
    if (!address)
        throw KRunError("the \"Column\" \"" + column + "\" is not a column such as A or AB");
    return *address;
}

// --- Excel Load ------------------------------------------------------------------

KLibraryExcelLoad::KLibraryExcelLoad(KBenchTop& benchTop, KBlock& block)
    : KLibraryExcelTriggered(benchTop, block),
      column_(NodeText(block, "Column")),
      row_(In("Row")),
      output_(Out("Output")) {}

void KLibraryExcelLoad::Compute(double) {
    if (!TriggerFires()) return;
    const KCellAddress address = CellAt(column_, *row_);
    KSheet& sheet = Sheet();
    const KCellValue cell = sheet.Read(address);
    const auto value = LoadNumber(cell);
    if (!value)
        throw KRunError("cell " + FormatCellAddress(address) + " of sheet \"" + sheet.Name() +
                        "\" holds \"" + CellText(cell) + "\", which is not a number");
    *output_ = *value;
}

// --- Excel Store -----------------------------------------------------------------

KLibraryExcelStore::KLibraryExcelStore(KBenchTop& benchTop, KBlock& block)
    : KLibraryExcelTriggered(benchTop, block),
      column_(NodeText(block, "Column")),
      row_(In("Row")),
      input_(In("Input")) {}

bool KLibraryExcelStore::OpenFiles(const std::string& modelFolder) {
    if (!KLibraryExcelTriggered::OpenFiles(modelFolder)) return false;
    std::string reason;
    if (File()->Workbook().CanWrite(reason)) return true;
    BenchTop().Sink().ErrorBox("Excel Store \"" + Name() + "\" cannot store values: " + reason +
                               ".");
    return false;
}

void KLibraryExcelStore::Compute(double) {
    if (!TriggerFires()) return;
    const KCellAddress address = CellAt(column_, *row_);
    const double value = *input_;
    KSheet& sheet = Sheet();
    if (!std::isfinite(value))
        throw KRunError("the \"Input\" is " + FormatGeneral(value, 15) +
                        ", which cannot be stored in cell " + FormatCellAddress(address));
    std::string error;
    if (!sheet.Write(address, value, error)) throw KRunError("Bad write to Excel sheet: " + error);
}

// --- Motor From Excel File ---------------------------------------------------------

KLibraryExcelMotor::KLibraryExcelMotor(KBenchTop& benchTop, KBlock& block)
    : KLibraryExcelTriggered(benchTop, block),
      current_(In("Current")),
      velocity_(In("Velocity")),
      position_(In("Position")),
      temperature_(In("Temperature")),
      torque_(Out("Torque")),
      powerLoss_(Out("Power Loss")),
      dynamicKt_(Out("Dynamic KT")),
      currentOut_(Out("Current Out")) {}

void KLibraryExcelMotor::Compute(double) {
    if (TriggerFires()) tables_ = std::make_unique<KMotorTables>(LoadMotorTables(Sheet()));
    if (!tables_) return;
    const KMotorInputs in{*current_, *velocity_, *position_, *temperature_};
    if (std::isnan(in.current) || std::isnan(in.velocity))
        throw KRunError(std::string("the \"") + (std::isnan(in.current) ? "Current" : "Velocity") +
                        "\" input is not a number");
    const KMotorOutputs out = MotorStep(*tables_, in, *dynamicKt_);
    *torque_ = out.torque;
    *powerLoss_ = out.powerLoss;
    *currentOut_ = out.currentOut;
}

}  // namespace korvel
