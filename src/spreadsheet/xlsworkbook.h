// The legacy .xls back end: read only, through libfreexl.
//
// Opening reads every cell of every worksheet into memory (numbers, texts,
// dates and times as their text); the file is closed again at once. Such a
// workbook cannot be written back: writes are refused with a reason that
// suggests saving the workbook as .xlsx.
#pragma once

#include <memory>
#include <string>

#include "spreadsheet/workbook.h"

namespace korvel {

// The reason given for refusing to write an .xls workbook.
std::string XlsReadOnlyReason(const std::string& path);

std::unique_ptr<KWorkbook> OpenXlsWorkbook(const std::string& path, std::string& error);

}  // namespace korvel
