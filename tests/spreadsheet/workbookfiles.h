// Workbook files for tests, made and checked independently of the back ends:
// libxlsxwriter writes them, and a minimal reader (libzip and pugixml on the
// worksheet XML) reads cells back.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace korvel::test {

// A fresh folder, removed with everything in it at the end of the test.
class KTempDir {
public:
    KTempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvel-wb-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string{};
        EXPECT_FALSE(path_.empty());
    }
    ~KTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }
    // Every entry of the folder, by name.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::string path_;
};

struct KFormula {
    std::string text;
    double cached;
};
struct KBool {
    bool value;
};
using KTestCellValue = std::variant<double, std::string, KFormula, KBool>;
// A cell by 0-based row and column, as the writer counts.
struct KTestCell {
    int row;
    int column;
    KTestCellValue value;
};
struct KTestSheet {
    std::string name;
    std::vector<KTestCell> cells;  // in row order (inline-string workbooks need it)
};

// Writes the workbook; `inlineStrings` makes the writer put strings in the
// cells instead of the shared-strings part.
inline void WriteXlsx(const std::string& path, const std::vector<KTestSheet>& sheets,
                      bool inlineStrings = false) {
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
    ASSERT_NE(book, nullptr);
    for (const KTestSheet& s : sheets) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, s.name.c_str());
        for (const KTestCell& c : s.cells) {
            const auto row = static_cast<lxw_row_t>(c.row);
            const auto col = static_cast<lxw_col_t>(c.column);
            if (const double* x = std::get_if<double>(&c.value))
                worksheet_write_number(sheet, row, col, *x, nullptr);
            else if (const std::string* t = std::get_if<std::string>(&c.value))
                worksheet_write_string(sheet, row, col, t->c_str(), nullptr);
            else if (const KFormula* f = std::get_if<KFormula>(&c.value))
                worksheet_write_formula_num(sheet, row, col, f->text.c_str(), nullptr, f->cached);
            else
                worksheet_write_boolean(sheet, row, col, std::get<KBool>(c.value).value, nullptr);
        }
    }
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Every entry of a zip file, by name, uncompressed.
inline std::map<std::string, std::string> ZipEntries(const std::string& path) {
    std::map<std::string, std::string> entries;
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
    EXPECT_NE(zip, nullptr) << path;
    if (zip == nullptr) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
        if (st.size > 0) zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        entries[st.name] = data;
    }
    zip_discard(zip);
    return entries;
}

// The cells of the writer's n-th worksheet part (1-based): address -> "n:<v>"
// for numbers, "s:<text>" for strings, "b:<v>" for booleans, "f:<formula>=<v>".
inline std::map<std::string, std::string> ReadCells(const std::string& path, int sheetNumber) {
    std::map<std::string, std::string> cells;
    auto entries = ZipEntries(path);
    std::vector<std::string> strings;
    pugi::xml_document sst;
    if (sst.load_string(entries["xl/sharedStrings.xml"].c_str()))
        for (pugi::xml_node si : sst.child("sst").children("si"))
            strings.push_back(si.child("t").text().get());
    pugi::xml_document doc;
    const std::string part = "xl/worksheets/sheet" + std::to_string(sheetNumber) + ".xml";
    EXPECT_TRUE(doc.load_string(entries[part].c_str())) << part;
    for (pugi::xml_node row : doc.child("worksheet").child("sheetData").children("row")) {
        for (pugi::xml_node c : row.children("c")) {
            const std::string type = c.attribute("t").value();
            const std::string v = c.child("v").text().get();
            std::string value;
            if (c.child("f"))
                value = "f:" + std::string(c.child("f").text().get()) + "=" + v;
            else if (type == "s")
                value = "s:" + strings.at(std::stoul(v));
            else if (type == "inlineStr")
                value = "s:" + std::string(c.child("is").child("t").text().get());
            else if (type == "b")
                value = "b:" + v;
            else
                value = "n:" + v;
            cells[c.attribute("r").value()] = value;
        }
    }
    return cells;
}

}  // namespace korvel::test
