// KWorkbook and KSheet: the spreadsheet workbooks the spreadsheet blocks use.
//
// The operations are the ones those blocks need, in the order a run uses
// them: open a workbook file (OpenWorkbook), set whether it is shown, list
// its sheets by count and name, read a cell by address, write a cell, and
// close it (Close). Back ends exist for .xlsx files (read and write) and
// legacy .xls files (read only). Everything lives in memory between opening
// and closing: reads never touch the disk, and writes change only the
// in-memory workbook until Close writes the whole file back, atomically (a
// complete temporary file in the workbook's folder renamed over it), so a
// failure never leaves a half-written workbook.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "spreadsheet/cell.h"

namespace korvel {

class KFileSystem;
class Messages;

class KSheet {
public:
    virtual ~KSheet() = default;
    const std::string& Name() const { return name_; }
    // The cell's value; Empty when the sheet has no such cell or it holds
    // nothing.
    virtual KCellValue Read(const KCellAddress& address) const = 0;
    // Replaces whatever the cell held by the number. False, with the reason
    // in `error`, when this sheet cannot take it (read-only workbook, a chart
    // sheet, a column beyond the kind's limit, the master of a shared formula).
    [[nodiscard]] virtual bool Write(const KCellAddress& address, double value,
                                     std::string& error) = 0;

protected:
    explicit KSheet(std::string name) : name_(std::move(name)) {}

private:
    std::string name_;
};

class KWorkbook {
public:
    virtual ~KWorkbook() = default;

    // The file the workbook was opened from.
    const std::string& Path() const { return path_; }

    // Whether the user wants to see the workbook (a grid window in the
    // editor); it changes nothing in the file.
    void SetVisible(bool visible) { visible_ = visible; }
    bool Visible() const { return visible_; }

    virtual int SheetCount() const = 0;
    // The sheet at a 0-based index in workbook order.
    virtual KSheet& SheetAt(int index) = 0;
    // The first sheet whose name equals `name` exactly (case-sensitive), or
    // nullptr.
    KSheet* FindSheet(std::string_view name);

    // Whether the workbook's file can be written back; when not, `reason`
    // says why and what to use instead.
    virtual bool CanWrite(std::string& reason) const = 0;
    // Whether some cell was written since the workbook was opened or saved.
    virtual bool Changed() const = 0;
    // The complete file with every write applied. False, with the reason in
    // `error`, when it cannot be made.
    [[nodiscard]] virtual bool Serialize(std::string& bytes, std::string& error) const = 0;

    // Closing: a changed workbook is written back to its file through `fs`
    // (see the header comment); an unchanged one is left byte for byte as it
    // was. Answers false after `messages` has said why the write failed; the
    // file on disk is then the one that was opened.
    [[nodiscard]] bool Close(KFileSystem& fs, Messages& messages);

protected:
    explicit KWorkbook(std::string path) : path_(std::move(path)) {}
    // After a successful save: `bytes` are now the file's contents.
    virtual void MarkSaved(std::string bytes) = 0;

private:
    std::string path_;
    bool visible_ = false;
};

// Opens the workbook file at `path`: the newer zip-based kind (.xlsx) or the
// legacy kind (.xls), told apart by the file's first bytes. Nothing, with a
// one-line reason in `error`, when the file is missing, unreadable, not a
// workbook, or a part of it is missing or malformed.
std::unique_ptr<KWorkbook> OpenWorkbook(const std::string& path, std::string& error);

// The same from bytes in memory (`path` names them in messages and is where
// Close would write).
std::unique_ptr<KWorkbook> OpenWorkbookBytes(const std::string& path, std::string bytes,
                                             std::string& error);

}  // namespace korvel
