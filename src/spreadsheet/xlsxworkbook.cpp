#include "spreadsheet/xlsxworkbook.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <pugixml.hpp>
#include <unordered_map>
#include <vector>

#include "base/numberformat.h"
#include "spreadsheet/ziparchive.h"

namespace korvel {

namespace {

constexpr unsigned kParseFlags = pugi::parse_full;
constexpr unsigned kSaveFlags = pugi::format_raw | pugi::format_no_declaration;

// Element and attribute names without their namespace prefix: producers may
// write "x:row" where others write "row".
std::string_view Local(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view Prefix(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string_view{} : name.substr(0, colon + 1);
}

pugi::xml_node Child(pugi::xml_node parent, std::string_view local) {
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element && Local(n.name()) == local) return n;
    return {};
}

pugi::xml_attribute Attribute(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        if (Local(a.name()) == local) return a;
    return {};
}

// The text of a string item: its <t>, or the <t> of each rich-text run.
std::string StringItemText(pugi::xml_node item) {
    if (pugi::xml_node t = Child(item, "t")) return t.text().get();
    std::string text;
    for (pugi::xml_node r = item.first_child(); r; r = r.next_sibling())
        if (r.type() == pugi::node_element && Local(r.name()) == "r")
            text += Child(r, "t").text().get();
    return text;
}

std::uint64_t CellKey(int row, int column) {
    return (static_cast<std::uint64_t>(row) << 16) | static_cast<std::uint64_t>(column);
}

bool ParseXml(pugi::xml_document& doc, const std::string& bytes, const std::string& part,
              std::string& error) {
    const pugi::xml_parse_result result =
        doc.load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_utf8);
    if (result) return true;
    error = "the part " + part + " is not well-formed XML (" + result.description() + ")";
    return false;
}

std::string SaveXml(const pugi::xml_document& doc) {
    struct Writer : pugi::xml_writer {
        std::string out;
        void write(const void* data, std::size_t size) override {
            out.append(static_cast<const char*>(data), size);
        }
    } writer;
    doc.save(writer, "", kSaveFlags, pugi::encoding_utf8);
    return writer.out;
}

// The folder of a part name ("xl/workbook.xml" -> "xl/").
std::string PartFolder(const std::string& part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string{} : part.substr(0, slash + 1);
}

// A relationship target resolved against the folder of its source part.
std::string ResolveTarget(const std::string& folder, std::string_view target) {
    std::string joined = !target.empty() && target.front() == '/' ? std::string(target.substr(1))
                                                                  : folder + std::string(target);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& s : segments) resolved += (resolved.empty() ? "" : "/") + s;
    return resolved;
}

// The relationships part of a part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels").
std::string RelationshipsPart(const std::string& part) {
    const std::string folder = PartFolder(part);
    return folder + "_rels/" + part.substr(folder.size()) + ".rels";
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

struct Relationship {
    std::string id;
    std::string type;
    std::string target;  // resolved part name
    pugi::xml_node node;
};

std::vector<Relationship> ReadRelationships(const pugi::xml_document& doc,
                                            const std::string& sourceFolder) {
    std::vector<Relationship> list;
    const pugi::xml_node root = Child(doc, "Relationships");
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element || Local(n.name()) != "Relationship") continue;
        if (std::string_view(n.attribute("TargetMode").value()) == "External") continue;
        list.push_back({n.attribute("Id").value(), n.attribute("Type").value(),
                        ResolveTarget(sourceFolder, n.attribute("Target").value()), n});
    }
    return list;
}

const Relationship* FindByType(const std::vector<Relationship>& list, std::string_view type) {
    for (const Relationship& r : list)
        if (EndsWith(r.type, type)) return &r;
    return nullptr;
}

class KXlsxSheet final : public KSheet {
public:
    KXlsxSheet(std::string name, std::string part, const std::vector<std::string>& strings)
        : KSheet(std::move(name)), part_(std::move(part)), strings_(strings) {}

    bool Load(const std::string& bytes, std::string& error) {
        if (!ParseXml(doc_, bytes, part_, error)) return false;
        pugi::xml_node root = doc_.document_element();
        sheetData_ = Child(root, "sheetData");
        if (Local(root.name()) != "worksheet") return true;  // a chart sheet: no cells
        if (!sheetData_) {
            error = "the part " + part_ + " has no sheet data";
            return false;
        }
        prefix_ = std::string(Prefix(sheetData_.name()));
        Index();
        return true;
    }

    KCellValue Read(const KCellAddress& address) const override {
        const auto found = cells_.find(CellKey(address.row, address.column));
        return found == cells_.end() ? KCellValue{} : Decode(found->second);
    }

    bool Write(const KCellAddress& address, double value, std::string& error) override;

    const std::string& Part() const { return part_; }
    bool Changed() const { return changed_; }
    bool RemovedFormula() const { return removedFormula_; }
    void MarkSaved() { changed_ = false; }
    std::string Bytes() const { return SaveXml(doc_); }

private:
    // Rows and cells by position. Rows and cells without an "r" attribute
    // follow the previous one, and get the attribute, so writes can place
    // new cells among them.
    void Index() {
        int row = 0;
        for (pugi::xml_node r = sheetData_.first_child(); r; r = r.next_sibling()) {
            if (r.type() != pugi::node_element || Local(r.name()) != "row") continue;
            const int given = r.attribute("r").as_int(0);
            row = given > 0 ? given : row + 1;
            if (given <= 0) r.append_attribute("r").set_value(row);
            if (row > kMaxAddressRow) continue;
            rows_[row] = r;
            int column = 0;
            for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling()) {
                if (c.type() != pugi::node_element || Local(c.name()) != "c") continue;
                const pugi::xml_attribute ref = c.attribute("r");
                const auto address = ref ? ParseCellAddress(ref.value()) : std::nullopt;
                column = address ? address->column : column + 1;
                if (!ref)
                    c.append_attribute("r").set_value(FormatCellAddress({row, column}).c_str());
                if (column > kMaxAddressColumn) continue;
                cells_[CellKey(row, column)] = c;
            }
        }
    }

    KCellValue Decode(pugi::xml_node cell) const {
        const std::string_view type = cell.attribute("t").value();
        const pugi::xml_node v = Child(cell, "v");
        if (type == "inlineStr") return KCellValue::Text(StringItemText(Child(cell, "is")));
        if (!v) return {};
        const std::string text = v.text().get();
        if (type == "s") {
            const auto index = ParseInteger(text);
            if (!index || *index < 0 || static_cast<std::size_t>(*index) >= strings_.size())
                return {KCellValue::Kind::Error, 0.0, "a shared string that does not exist"};
            return KCellValue::Text(strings_[static_cast<std::size_t>(*index)]);
        }
        if (type == "b") return KCellValue::Boolean(text == "1" || text == "true");
        if (type == "e") return {KCellValue::Kind::Error, 0.0, text};
        if (type == "str" || type == "d") return KCellValue::Text(text);
        const auto number = ParseDouble(text);
        return number ? KCellValue::Number(*number) : KCellValue::Text(text);
    }

    // Widens the sheet's used-range hint to cover a written cell.
    void CoverInDimension(const KCellAddress& a) {
        pugi::xml_attribute ref = Child(doc_.document_element(), "dimension").attribute("ref");
        if (!ref) return;
        const std::string_view text = ref.value();
        const std::size_t colon = text.find(':');
        const auto first = ParseCellAddress(text.substr(0, colon));
        const auto last =
            colon == std::string_view::npos ? first : ParseCellAddress(text.substr(colon + 1));
        if (!first || !last) return;
        const KCellAddress low{std::min(first->row, a.row), std::min(first->column, a.column)};
        const KCellAddress high{std::max(last->row, a.row), std::max(last->column, a.column)};
        const std::string range = low == high
                                      ? FormatCellAddress(low)
                                      : FormatCellAddress(low) + ":" + FormatCellAddress(high);
        ref.set_value(range.c_str());
    }

    pugi::xml_node RowFor(int row) {
        if (auto found = rows_.find(row); found != rows_.end()) return found->second;
        const auto next = rows_.upper_bound(row);
        pugi::xml_node node =
            next == rows_.end()
                ? sheetData_.append_child((prefix_ + "row").c_str())
                : sheetData_.insert_child_before((prefix_ + "row").c_str(), next->second);
        node.append_attribute("r").set_value(row);
        rows_[row] = node;
        return node;
    }

    pugi::xml_node CellFor(const KCellAddress& address) {
        const std::uint64_t key = CellKey(address.row, address.column);
        if (auto found = cells_.find(key); found != cells_.end()) return found->second;
        pugi::xml_node row = RowFor(address.row);
        // The row's span hint would no longer cover the new cell; it is optional.
        row.remove_attribute("spans");
        pugi::xml_node after;
        for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element || Local(c.name()) != "c") continue;
            const auto at = ParseCellAddress(c.attribute("r").value());
            if (at && at->column > address.column) {
                after = c;
                break;
            }
        }
        const std::string name = prefix_ + "c";
        pugi::xml_node cell =
            after ? row.insert_child_before(name.c_str(), after) : row.append_child(name.c_str());
        cell.append_attribute("r").set_value(FormatCellAddress(address).c_str());
        cells_[key] = cell;
        return cell;
    }

    std::string part_;
    const std::vector<std::string>& strings_;
    pugi::xml_document doc_;
    pugi::xml_node sheetData_;
    std::string prefix_;
    std::map<int, pugi::xml_node> rows_;
    std::unordered_map<std::uint64_t, pugi::xml_node> cells_;
    bool changed_ = false;
    bool removedFormula_ = false;
};

bool KXlsxSheet::Write(const KCellAddress& address, double value, std::string& error) {
    const std::string where = "cell " + FormatCellAddress(address) + " of sheet \"" + Name() + "\"";
    if (!sheetData_) {
        error = "sheet \"" + Name() + "\" is a chart sheet and has no cells";
        return false;
    }
    if (const auto found = cells_.find(CellKey(address.row, address.column));
        found != cells_.end()) {
        const pugi::xml_node formula = Child(found->second, "f");
        const std::string_view kind = formula.attribute("t").value();
        // Other cells share or spill this cell's formula; replacing it would
        // leave them pointing at nothing.
        if ((kind == "shared" || kind == "array") && formula.attribute("ref")) {
            error = where + " holds a formula other cells share; it is not overwritten";
            return false;
        }
    }
    pugi::xml_node cell = CellFor(address);
    if (Child(cell, "f")) removedFormula_ = true;
    cell.remove_attribute("t");
    cell.remove_attribute("cm");
    cell.remove_attribute("vm");
    while (cell.first_child()) cell.remove_child(cell.first_child());
    cell.append_child((prefix_ + "v").c_str())
        .append_child(pugi::node_pcdata)
        .set_value(StoredNumberText(value).c_str());
    CoverInDimension(address);
    changed_ = true;
    return true;
}

class KXlsxWorkbook final : public KWorkbook {
public:
    KXlsxWorkbook(std::string path, std::string bytes)
        : KWorkbook(std::move(path)), original_(std::move(bytes)) {}

    bool Load(std::string& error);

    int SheetCount() const override { return static_cast<int>(sheets_.size()); }
    KSheet& SheetAt(int index) override { return *sheets_.at(static_cast<std::size_t>(index)); }
    bool CanWrite(std::string&) const override { return true; }
    bool Changed() const override {
        for (const auto& s : sheets_)
            if (s->Changed()) return true;
        return false;
    }
    bool Serialize(std::string& bytes, std::string& error) const override;

protected:
    void MarkSaved(std::string bytes) override {
        original_ = std::move(bytes);
        for (auto& s : sheets_) s->MarkSaved();
    }

private:
    bool LoadStrings(const KZipReader& zip, const std::string& part, std::string& error);
    // The parts that drop the calculation chain: its content-type entry and
    // its relationship, as edited copies.
    void DropCalcChain(std::map<std::string, std::string>& replace,
                       std::vector<std::string>& remove) const;

    std::string original_;
    std::string workbookPart_;
    std::string calcChainPart_;
    std::vector<std::string> strings_;
    std::vector<std::unique_ptr<KXlsxSheet>> sheets_;
};

bool KXlsxWorkbook::LoadStrings(const KZipReader& zip, const std::string& part,
                                std::string& error) {
    std::string bytes;
    pugi::xml_document doc;
    if (!zip.Read(part, bytes, error) || !ParseXml(doc, bytes, part, error)) return false;
    const pugi::xml_node sst = Child(doc, "sst");
    for (pugi::xml_node si = sst.first_child(); si; si = si.next_sibling())
        if (si.type() == pugi::node_element && Local(si.name()) == "si")
            strings_.push_back(StringItemText(si));
    return true;
}

bool KXlsxWorkbook::Load(std::string& error) {
    auto zip = KZipReader::Open(original_, error);
    if (!zip) return false;
    std::string bytes;
    pugi::xml_document packageRels;
    if (!zip->Read("_rels/.rels", bytes, error) ||
        !ParseXml(packageRels, bytes, "_rels/.rels", error))
        return false;
    const auto packageList = ReadRelationships(packageRels, "");
    const Relationship* office = FindByType(packageList, "/officeDocument");
    if (office == nullptr) {
        error = "the package names no workbook part";
        return false;
    }
    workbookPart_ = office->target;
    pugi::xml_document workbook;
    pugi::xml_document workbookRels;
    const std::string relsPart = RelationshipsPart(workbookPart_);
    if (!zip->Read(workbookPart_, bytes, error) ||
        !ParseXml(workbook, bytes, workbookPart_, error) || !zip->Read(relsPart, bytes, error) ||
        !ParseXml(workbookRels, bytes, relsPart, error))
        return false;
    const auto rels = ReadRelationships(workbookRels, PartFolder(workbookPart_));
    if (const Relationship* strings = FindByType(rels, "/sharedStrings"))
        if (!LoadStrings(*zip, strings->target, error)) return false;
    if (const Relationship* chain = FindByType(rels, "/calcChain")) calcChainPart_ = chain->target;

    const pugi::xml_node sheets = Child(Child(workbook, "workbook"), "sheets");
    for (pugi::xml_node s = sheets.first_child(); s; s = s.next_sibling()) {
        if (s.type() != pugi::node_element || Local(s.name()) != "sheet") continue;
        const std::string id = Attribute(s, "id").value();
        const Relationship* rel = nullptr;
        for (const Relationship& r : rels)
            if (r.id == id) rel = &r;
        if (rel == nullptr) {
            error = "sheet \"" + std::string(s.attribute("name").value()) +
                    "\" has no part in the workbook";
            return false;
        }
        auto sheet =
            std::make_unique<KXlsxSheet>(s.attribute("name").value(), rel->target, strings_);
        // Two sheets on one part would each save their own copy of it.
        for (const auto& other : sheets_) {
            if (other->Part() != rel->target) continue;
            error = "two sheets share the part " + rel->target;
            return false;
        }
        if (!zip->Read(rel->target, bytes, error) || !sheet->Load(bytes, error)) return false;
        sheets_.push_back(std::move(sheet));
    }
    if (sheets_.empty()) {
        error = "the workbook has no sheets";
        return false;
    }
    return true;
}

void KXlsxWorkbook::DropCalcChain(std::map<std::string, std::string>& replace,
                                  std::vector<std::string>& remove) const {
    auto zip = [this] {
        std::string ignored;
        return KZipReader::Open(original_, ignored);
    }();
    if (!zip || !zip->Has(calcChainPart_)) return;
    remove.push_back(calcChainPart_);
    std::string bytes;
    std::string ignored;
    pugi::xml_document types;
    if (zip->Read("[Content_Types].xml", bytes, ignored) &&
        ParseXml(types, bytes, "[Content_Types].xml", ignored)) {
        pugi::xml_node root = Child(types, "Types");
        for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
            if (n.type() != pugi::node_element || Local(n.name()) != "Override") continue;
            if (ResolveTarget("", n.attribute("PartName").value()) != calcChainPart_) continue;
            root.remove_child(n);
            replace["[Content_Types].xml"] = SaveXml(types);
            break;
        }
    }
    const std::string relsPart = RelationshipsPart(workbookPart_);
    pugi::xml_document rels;
    if (zip->Read(relsPart, bytes, ignored) && ParseXml(rels, bytes, relsPart, ignored)) {
        for (const Relationship& r : ReadRelationships(rels, PartFolder(workbookPart_))) {
            if (r.target != calcChainPart_) continue;
            r.node.parent().remove_child(r.node);
            replace[relsPart] = SaveXml(rels);
            break;
        }
    }
}

bool KXlsxWorkbook::Serialize(std::string& bytes, std::string& error) const {
    std::map<std::string, std::string> replace;
    std::vector<std::string> remove;
    bool removedFormula = false;
    for (const auto& sheet : sheets_) {
        if (!sheet->Changed()) continue;
        replace[sheet->Part()] = sheet->Bytes();
        removedFormula = removedFormula || sheet->RemovedFormula();
    }
    // A chain that claims a part the workbook needs is no chain to drop.
    if (removedFormula && !calcChainPart_.empty() && calcChainPart_ != workbookPart_ &&
        calcChainPart_ != "[Content_Types].xml" &&
        calcChainPart_ != RelationshipsPart(workbookPart_) && !replace.count(calcChainPart_) &&
        std::none_of(sheets_.begin(), sheets_.end(),
                     [this](const auto& s) { return s->Part() == calcChainPart_; }))
        DropCalcChain(replace, remove);
    return RewriteZip(original_, replace, remove, bytes, error);
}

}  // namespace

std::unique_ptr<KWorkbook> OpenXlsxWorkbook(const std::string& path, std::string bytes,
                                            std::string& error) {
    auto book = std::make_unique<KXlsxWorkbook>(path, std::move(bytes));
    if (!book->Load(error)) return nullptr;
    return book;
}

}  // namespace korvel
