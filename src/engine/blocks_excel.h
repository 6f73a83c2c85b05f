// The spreadsheet blocks: Excel File opens a workbook for the run; Excel
// Load reads a cell into its output and Excel Store writes its input into a
// cell, each when its trigger fires; Motor From Excel File reloads a motor's
// tables from a sheet when its trigger fires and models the motor every
// evaluation.
//
// Binding: a Load, Store or motor block works on the Excel File block its
// "Excel File" node names, found once when the files are opened after the
// run-time model is built (the compile's binding, else the node's IDNumber,
// -1 taking the only Excel File block), never by name while running: two
// Excel File blocks may share a name.
//
// Workbooks open once the model folder is known (KBenchTop::OpenFiles, which
// every front end calls after building): a workbook that cannot be opened,
// or a legacy .xls workbook that a Store would write, refuses the run-time
// model. Blocks whose workbook is not open do nothing. When the run-time model is
// destroyed a workbook that Store blocks changed is written back to its file
// atomically; a failed write is reported and leaves the file as it was.
//
// Trigger rule, at every evaluation (so at every solver stage): "Trigger
// Out" follows "Trigger"; the block acts when the trigger rises above 0.5
// after having been below 0.5 (it starts armed, so an unwired trigger, 1 by
// default, acts at the first evaluation only). Exactly 0.5 changes nothing.
#pragma once

#include <memory>
#include <string>

#include "engine/excelmotor.h"
#include "engine/libraryclass.h"
#include "spreadsheet/cell.h"

namespace korvel {

class KSheet;
class KWorkbook;

// The file a workbook name as typed (either separator) stands for: an
// absolute name as it is, a relative one in the model's folder.
std::string ResolveWorkbookPath(const std::string& file, const std::string& modelFolder);

class KLibraryExcelFile final : public KLibraryClass {
public:
    KLibraryExcelFile(KBenchTop& benchTop, KBlock& block);
    // Writes a changed workbook back (see the header comment).
    ~KLibraryExcelFile() override;

    bool IsSpreadsheetFile() const override { return true; }
    bool OpenFiles(const std::string& modelFolder) override;

    // Whether the workbook is open. Until OpenFiles has opened it, the blocks
    // bound to it are inert ("Trigger Out" still follows "Trigger").
    bool IsOpen() const { return book_ != nullptr; }
    // The open workbook.
    KWorkbook& Workbook();

private:
    bool Open(const std::string& modelFolder, std::string& error);

    std::string fileText_;  // the "File" node as the user typed it
    bool visible_;
    bool tried_ = false;
    std::unique_ptr<KWorkbook> book_;
};

// What Load, Store and motor blocks share: the bound file, the sheet, the
// trigger rule.
class KLibraryExcelTriggered : public KLibraryClass {
public:
    // Binds the block to its Excel File and opens that workbook; an "Excel
    // File" node that names no Excel File block is an internal fault.
    bool OpenFiles(const std::string& modelFolder) override;

protected:
    KLibraryExcelTriggered(KBenchTop& benchTop, KBlock& block);
    // Applies the trigger rule; true when the block acts now.
    bool TriggerFires();
    // The sheet named by the "Sheet" node; KRunError when the workbook has none.
    KSheet& Sheet();
    // The cell of a "Column" text and a "Row" value (its floor, limited to
    // 1 ... 65536); KRunError for a column that is not letters or a row that
    // is not a number.
    KCellAddress CellAt(const std::string& column, double row) const;
    KLibraryExcelFile* File() const { return file_; }

private:
    KLibraryExcelFile* file_ = nullptr;
    std::string sheetName_;
    KSheet* sheet_ = nullptr;
    const double* trigger_;
    double* triggerOut_;
    bool armed_ = true;
};

class KLibraryExcelLoad final : public KLibraryExcelTriggered {
public:
    KLibraryExcelLoad(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    std::string column_;
    const double* row_;
    double* output_;
};

class KLibraryExcelStore final : public KLibraryExcelTriggered {
public:
    KLibraryExcelStore(KBenchTop& benchTop, KBlock& block);
    // Also refuses a workbook that cannot be written (a legacy .xls file).
    bool OpenFiles(const std::string& modelFolder) override;
    void Compute(double time) override;

private:
    std::string column_;
    const double* row_;
    const double* input_;
};

class KLibraryExcelMotor final : public KLibraryExcelTriggered {
public:
    KLibraryExcelMotor(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    const double* current_;
    const double* velocity_;
    const double* position_;
    const double* temperature_;
    double* torque_;
    double* powerLoss_;
    double* dynamicKt_;
    double* currentOut_;
    // Empty until the first load; the motor does nothing before it.
    std::unique_ptr<KMotorTables> tables_;
};

}  // namespace korvel
