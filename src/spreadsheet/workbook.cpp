#include "spreadsheet/workbook.h"

#include "base/messages.h"
#include "base/safefile.h"
#include "spreadsheet/xlsworkbook.h"
#include "spreadsheet/xlsxworkbook.h"

namespace korvel {

namespace {

bool StartsWith(std::string_view bytes, std::string_view magic) {
    return bytes.substr(0, magic.size()) == magic;
}

constexpr std::string_view kZipMagic{"PK\x03\x04", 4};
constexpr std::string_view kCompoundMagic{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

}  // namespace

KSheet* KWorkbook::FindSheet(std::string_view name) {
    for (int i = 0; i < SheetCount(); ++i)
        if (SheetAt(i).Name() == name) return &SheetAt(i);
    return nullptr;
}

bool KWorkbook::Close(KFileSystem& fs, Messages& messages) {
    if (!Changed()) return true;
    std::string bytes;
    std::string error;
    if (!Serialize(bytes, error)) {
        messages.ErrorBox("Could not write the workbook \"" + path_ + "\": " + error +
                          ". The file was not changed.");
        return false;
    }
    if (!SaveFileSafely(fs, path_, bytes, messages)) {
        messages.ErrorBox("The workbook \"" + path_ +
                          "\" was not written back: it keeps what it held before the run, "
                          "without the values stored into it.");
        return false;
    }
    MarkSaved(std::move(bytes));
    return true;
}

std::unique_ptr<KWorkbook> OpenWorkbook(const std::string& path, std::string& error) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) return nullptr;
    if (StartsWith(bytes, kCompoundMagic)) return OpenXlsWorkbook(path, error);
    return OpenWorkbookBytes(path, std::move(bytes), error);
}

std::unique_ptr<KWorkbook> OpenWorkbookBytes(const std::string& path, std::string bytes,
                                             std::string& error) {
    if (StartsWith(bytes, kZipMagic)) return OpenXlsxWorkbook(path, std::move(bytes), error);
    error = path + " is not a workbook (neither an .xlsx nor an .xls file)";
    return nullptr;
}

}  // namespace korvel
