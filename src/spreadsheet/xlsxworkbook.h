// The .xlsx back end (Office Open XML workbooks: a zip archive of XML parts).
//
// Opening reads the package relationships, the workbook part, its sheets in
// workbook order, the shared strings and every worksheet part; a part that
// is missing or is not well-formed XML refuses the file. Cells hold numbers,
// shared strings, inline strings, formula text results, booleans and error
// codes; a formula cell reads as its cached value.
//
// Writing a cell makes it a plain number cell (its style is kept; a formula
// or text it held is gone) and keeps rows and cells in address order. Only
// the worksheet parts that were written are re-serialised when the workbook
// is saved; every other part keeps its bytes. When a written cell held a
// formula, the workbook's calculation chain (a cache of formula cells) is
// dropped so it cannot name a cell that no longer has a formula; spreadsheet
// programs rebuild it.
#pragma once

#include <memory>
#include <string>

#include "spreadsheet/workbook.h"

namespace korvel {

std::unique_ptr<KWorkbook> OpenXlsxWorkbook(const std::string& path, std::string bytes,
                                            std::string& error);

}  // namespace korvel
