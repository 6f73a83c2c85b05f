#include "model/modelfile.h"

#include <exception>
#include <new>
#include <unordered_map>

#include "base/countingmessages.h"
#include "base/messages.h"
#include "base/numberformat.h"
#include "base/safefile.h"
#include "model/block.h"
#include "model/custmod.h"
#include "model/custmodfile.h"
#include "model/elements.h"
#include "model/lineio.h"
#include "model/nodeio.h"
#include "model/wire.h"

namespace korvel {

namespace {

// A record of a built-in type holds at most this many lines after its flips;
// a module block may hold one more per node of its module.
constexpr int kMaxNodeLines = 50;
// Numbers above this could overflow when module instances are renumbered.
constexpr int kMaxIDNumber = 1 << 30;
// Block coordinates beyond this could overflow where a block adds its size,
// a node's place or its label's to them; no page reaches near it.
constexpr int kMaxCoordinate = 1 << 30;

struct Loader {
    KElements& elements;
    KLineReader& reader;
    const KLoadOptions& options;
    KModelHeader& header;
    Messages& messages;
    // The blocks read by this load, by their numbers in this file: a module
    // file's numbers are its own and may repeat numbers already in the
    // collection.
    std::unordered_map<int, KBlock*> blocks{};
    std::vector<std::string> fields{};
    std::string raw{};

    bool ForEditor() const { return options.parentModule < 0; }
};

// The flag reader fails without a word on a value other than True or False;
// in the header that would fail the open without telling the user why.
bool ReadCustModFlag(Loader& l) {
    KCountingMessages counting(l.messages);
    if (l.reader.LoadBool(l.header.custMod, "CustMod", counting)) return true;
    if (counting.count == 0)
        l.messages.ErrorBox("The CustMod line (line " + std::to_string(l.reader.LineNumber()) +
                            ") must say True or False.");
    return false;
}

bool ReadFrame(Loader& l, double& version) {
    if (!l.reader.GetDouble(version, "Version", l.messages)) return false;
    // Written so that a version that is no number ("nan") is refused too.
    if (!(version >= l.options.lowestVersion)) {
        l.messages.ErrorBox("This file is too old for this program to read.");
        return false;
    }
    if (version > l.options.highestVersion) {
        l.messages.ErrorBox("This program is too old to read this program.");
        return false;
    }
    l.header.custMod = false;
    if (version >= 1.2 && !ReadCustModFlag(l)) return false;
    if (!l.reader.GetInt(l.header.pages, "Pages", l.messages)) return false;
    if (l.header.pages < 1) {
        l.messages.ErrorBox("The file has " + std::to_string(l.header.pages) +
                            " pages; a model has at least one.");
        return false;
    }
    // Saving writes one name line per page, so a damaged count must not get
    // past here even when the file holds no page names.
    if (l.header.pages > kMaxPages) {
        l.messages.ErrorBox("The file has " + std::to_string(l.header.pages) +
                            " pages; a model has at most " + std::to_string(kMaxPages) + ".");
        return false;
    }
    l.header.hasFontSize = version >= 1.11;
    if (l.header.hasFontSize && !l.reader.GetInt(l.header.fontSize, "FontSize", l.messages))
        return false;
    return true;
}

bool ReadPageNames(Loader& l) {
    std::vector<std::string> names;
    for (int i = 0; i < l.header.pages; ++i) {
        std::string name;
        if (!l.reader.LoadString(name, "PageName", l.messages)) return false;
        names.push_back(std::move(name));
    }
    if (l.ForEditor()) l.header.pageNames = std::move(names);
    return true;
}

// Reads the line of a module block that lists its node names as saved, which
// files written for a while carried. Answers the line that followed when it
// is not that line (files written before and since have none).
bool ReadSavedNodeNames(Loader& l, KCustMod& module, bool& pageLineRead, int& page) {
    KLineStatus status = l.reader.ReadLineFields(l.fields, l.raw);
    if (status != KLineStatus::Line) {
        if (!l.reader.ErrorText().empty()) l.messages.ErrorBox(l.reader.ErrorText());
        l.messages.ErrorBox("Unexpected file end in GetIntFromFile");
        return false;
    }
    // Split at every comma: a node named "Model" must not swallow the rest.
    std::vector<std::string> all = KLineReader::SplitAtEveryComma(l.raw);
    if (!all.empty() && all.back() == "NodeNames") {
        for (std::size_t i = 0; i + 1 < all.size(); ++i)
            module.savedNodeNames.push_back(UnescapeString(all[i]));
        return true;
    }
    // The usual case: this was the page line.
    pageLineRead = true;
    std::optional<int> p = l.fields.size() == 2 ? ParseInteger(l.fields[0]) : std::nullopt;
    if (l.fields.size() != 2 || l.fields[1] != "Page" || !p) {
        l.messages.ErrorBox("Expected Page in " + l.raw);
        return false;
    }
    page = *p;
    return true;
}

bool ReadBlockHead(Loader& l, KBlock& b, bool pageLineRead, int page) {
    int x = 0, y = 0;
    if (!pageLineRead && !l.reader.GetInt(page, "Page", l.messages)) return false;
    if (!l.reader.GetInt(x, "X", l.messages) || !l.reader.GetInt(y, "Y", l.messages) ||
        !l.reader.LoadString(b.userString, "UserString", l.messages) ||
        !l.reader.LoadBool(b.horizSwap, "HorizSwap", l.messages) ||
        !l.reader.LoadBool(b.vertSwap, "VertSwap", l.messages))
        return false;
    auto offPage = [](int v) { return v < -kMaxCoordinate || v > kMaxCoordinate; };
    if (offPage(x) || offPage(y)) {
        l.messages.ErrorBox("The position " + std::to_string(x) + ", " + std::to_string(y) +
                            " of " + b.userString + " is off any page; coordinates go from -" +
                            std::to_string(kMaxCoordinate) + " to " +
                            std::to_string(kMaxCoordinate) + ".");
        return false;
    }
    b.SetPage(page);
    b.SetPosition(x, y);
    return true;
}

// The node a value line is for: its last field, unescaped. A line split by
// the "Application"/"Model" rule names no node; split it at every comma then.
KNode* NodeOfLine(Loader& l, KBlock& b) {
    if (KNode* n = b.FindNode(UnescapeString(l.fields.back()))) return n;
    std::vector<std::string> all = KLineReader::SplitAtEveryComma(l.raw);
    if (all.empty() || all.size() == l.fields.size()) return nullptr;
    KNode* n = b.FindNode(UnescapeString(all.back()));
    if (n) l.fields = std::move(all);
    return n;
}

// Every node of a module block carries a value, so its record holds one node
// line per node in node order as saved: the names of those lines are the
// order the design's wires count in. `savedNames` is null when the order is
// known already (or the block is no module).
bool ReadNodeLines(Loader& l, KBlock& b, std::vector<std::string>* savedNames) {
    int limit = kMaxNodeLines + (b.IsCustomModule() ? b.NodeCount() : 0);
    for (int i = 0; i < limit; ++i) {
        KLineStatus status = l.reader.ReadLineFields(l.fields, l.raw);
        if (status != KLineStatus::Line) {
            if (!l.reader.ErrorText().empty()) l.messages.ErrorBox(l.reader.ErrorText());
            l.messages.ErrorBox("Unexpected file end in GetIntFromFile");
            return false;
        }
        if (l.fields.empty()) continue;
        const std::string& keyword = l.fields.back();
        if (keyword == "IDNumber") {
            std::optional<int> n = l.fields.size() == 2 ? ParseInteger(l.fields[0]) : std::nullopt;
            if (!n) {
                l.messages.ErrorBox("Bad number in " + l.raw);
                return false;
            }
            if (*n > kMaxIDNumber) {
                l.messages.ErrorBox("The number " + std::to_string(*n) + " of " + b.userString +
                                    " is too large; element numbers go up to " +
                                    std::to_string(kMaxIDNumber) + ".");
                return false;
            }
            b.SetIDNumber(*n);
            return true;
        }
        if (keyword == "Start") {
            l.messages.ErrorBox("Unexpected Start encountered in " + b.userString);
            return false;
        }
        KNode* node = NodeOfLine(l, b);
        if (!node) {
            // The name is the last field of the whole line, also when a joining
            // word ("Model") made the reader keep the rest as one field.
            std::string name = UnescapeString(KLineReader::SplitAtEveryComma(l.raw).back());
            l.messages.WarningBox("Could not locate node " + name + " in " + b.userString);
            if (savedNames) savedNames->push_back(std::move(name));
            continue;
        }
        if (savedNames) savedNames->emplace_back(node->Name());
        if (!node->IsSavedValue()) continue;  // outputs carry no value
        if (!ReadNodeValue(*node, l.fields, l.raw, b, l.messages)) return false;
    }
    l.messages.ErrorBox("Too many nodes in " + b.userString);
    return false;
}

bool ReadBlockRecord(Loader& l, KBlock& b) {
    b.SetParentModule(l.options.parentModule);
    b.clamped = false;
    bool pageLineRead = false;
    int page = 0;
    std::vector<std::string>* savedNames = nullptr;
    if (auto* module = dynamic_cast<KCustMod*>(&b)) {
        std::string fileName;
        if (!l.reader.LoadString(fileName, "FileName", l.messages)) return false;
        module->SetFileName(fileName);
        if (!LoadNodeArray(*module, l.options.modules, l.messages)) return false;
        if (!ReadSavedNodeNames(l, *module, pageLineRead, page)) return false;
        if (module->savedNodeNames.empty()) savedNames = &module->savedNodeNames;
    }
    if (!ReadBlockHead(l, b, pageLineRead, page)) return false;
    if (!ReadNodeLines(l, b, savedNames)) return false;
    CheckStringPicks(b, l.messages);
    if (!l.ForEditor()) b.SetPage(-1);
    return true;
}

bool LoadBlock(Loader& l, int type, const std::string& tag) {
    std::unique_ptr<KBlock> b = MakeBlock(type);
    if (!ReadBlockRecord(l, *b)) {
        l.messages.ErrorBox("Could not load " + tag);
        return false;
    }
    if (b->IDNumber() < 0) return true;  // such a block is left out
    l.blocks.try_emplace(b->IDNumber(), b.get());
    l.elements.Add(std::move(b));
    return true;
}

bool ReadWireRecord(Loader& l, KWire& w) {
    int page = 0, startBlock = 0, startNode = 0, endBlock = 0, endNode = 0, bends = 0;
    if (!l.reader.GetInt(page, "Page", l.messages) ||
        !l.reader.GetInt(startBlock, "StartBlock", l.messages) ||
        !l.reader.GetInt(startNode, "StartBlockNode", l.messages) ||
        !l.reader.GetInt(endBlock, "EndBlock", l.messages) ||
        !l.reader.GetInt(endNode, "EndBlockNode", l.messages))
        return false;
    w.SetPage(l.ForEditor() ? page : -1);
    w.SetStartBlock(startBlock);
    w.SetStartBlockNode(startNode);
    w.SetEndBlock(endBlock);
    w.SetEndBlockNode(endNode);
    // "Bends" may be missing: the next line is then the wire's number.
    KLineStatus status = l.reader.ReadLineFields(l.fields, l.raw);
    if (status != KLineStatus::Line || l.fields.size() != 2) {
        if (!l.reader.ErrorText().empty()) l.messages.ErrorBox(l.reader.ErrorText());
        l.messages.ErrorBox(status == KLineStatus::Line ? "Bad line in file: " + l.raw
                                                        : "Unexpected file end in GetIntFromFile");
        return false;
    }
    if (l.fields[1] == "Bends") {
        std::optional<int> k = ParseInteger(l.fields[0]);
        if (!k || *k < 0) {
            l.messages.ErrorBox("Bad number in " + l.raw);
            return false;
        }
        bends = *k;
        // The count is not trusted for allocation: points are read one by one.
        for (int i = 0; i < bends; ++i) {
            KPoint p;
            if (!l.reader.GetInt(p.x, "X", l.messages) || !l.reader.GetInt(p.y, "Y", l.messages))
                return false;
            w.route.push_back(p);
        }
        int number = -1;
        if (!l.reader.GetInt(number, "IDNumber", l.messages)) return false;
        w.SetIDNumber(number);
        return true;
    }
    std::optional<int> n = ParseInteger(l.fields[0]);
    if (l.fields[1] != "IDNumber" || !n) {
        l.messages.ErrorBox("Expected Bends in " + l.raw);
        return false;
    }
    w.SetIDNumber(*n);
    return true;
}

// Moves a wire end on a module block from the node index it was saved with to
// the node of the same name now. False when the module lost that node.
bool FollowModuleNode(Loader& l, const KWire& w, KBlock* block, int& index) {
    auto* module = dynamic_cast<KCustMod*>(block);
    if (!module || module->savedNodeNames.empty()) return true;
    const auto& saved = module->savedNodeNames;
    if (index < 0 || index >= static_cast<int>(saved.size())) return true;
    int now = module->NodeIndex(saved[static_cast<std::size_t>(index)]);
    if (now >= 0) {
        index = now;
        return true;
    }
    l.messages.WarningBox("Custom module \"" + module->userString + "\" (" + module->FileName() +
                          ") no longer has the node \"" + saved[static_cast<std::size_t>(index)] +
                          "\"; wire " + std::to_string(w.IDNumber()) +
                          " to it is left unattached and was removed.");
    return false;
}

// A module's nodes move when its interface is edited after the design was
// saved; a saved route that no longer ends on its module node is redrawn.
bool RouteMissesModuleNode(const KWire& w) {
    auto misses = [](const KBlock* b, int node, const KPoint& end) {
        return b && b->IsCustomModule() && b->NodePoint(node) != end;
    };
    return misses(w.StartBlockPtr(), w.StartBlockNode(), w.route.front()) ||
           misses(w.EndBlockPtr(), w.EndBlockNode(), w.route.back());
}

bool LoadWire(Loader& l) {
    auto w = std::make_unique<KWire>(-1, 0);
    w->SetParentModule(l.options.parentModule);
    if (!ReadWireRecord(l, *w) || w->IDNumber() < 0) {
        l.messages.ErrorBox("Could not load KWire");
        return false;
    }
    if (w->IDNumber() > kMaxIDNumber) {
        l.messages.ErrorBox("The number " + std::to_string(w->IDNumber()) +
                            " of a wire is too large; element numbers go up to " +
                            std::to_string(kMaxIDNumber) + ".");
        return false;
    }
    auto from = l.blocks.find(w->StartBlock());
    auto to = l.blocks.find(w->EndBlock());
    if (from == l.blocks.end() || to == l.blocks.end()) {
        l.messages.ErrorBox("Could not find block to which wire is connected");
        return false;
    }
    int startNode = w->StartBlockNode(), endNode = w->EndBlockNode();
    if (!FollowModuleNode(l, *w, from->second, startNode) ||
        !FollowModuleNode(l, *w, to->second, endNode))
        return true;
    w->SetStartBlockNode(startNode);
    w->SetEndBlockNode(endNode);
    if (l.ForEditor()) {
        if (!w->Connect(from->second, to->second, l.messages)) return false;
        if (w->route.empty() || RouteMissesModuleNode(*w)) w->Route();
    }
    l.elements.Add(std::move(w));
    return true;
}

KLoadResult ReadRecords(Loader& l) {
    for (;;) {
        std::string tag;
        if (!l.reader.LoadString(tag, "Start", l.messages)) return {};
        if (tag == "FileEnd") break;
        if (tag == "PageNames") {
            if (!ReadPageNames(l)) return {};
            continue;
        }
        if (tag == "KWire") {
            if (!LoadWire(l)) return {};
            continue;
        }
        std::optional<int> type = FindBlockTypeByTag(tag);
        if (!type) {
            l.messages.ErrorBox("Could not identify " + tag);
            return {};
        }
        if (!LoadBlock(l, *type, tag)) return {};
    }
    for (auto& e : l.elements.All()) e->selected = false;
    return {l.header.pages};
}

}  // namespace

KLoadResult LoadModel(KElements& elements, KLineReader& reader, const KLoadOptions& options,
                      KModelHeader& header, Messages& messages) {
    Loader l{elements, reader, options, header, messages};
    try {
        double version = 0;
        if (!ReadFrame(l, version)) return {};
        if (!l.ForEditor() && !header.custMod) {
            messages.ErrorBox("Attempt to load standard Korvel design file as a Custom Module");
            return {-1};
        }
        return ReadRecords(l);
    } catch (const std::bad_alloc&) {
        messages.ErrorBox("Out of memory while reading the model (" +
                          std::to_string(elements.Count()) + " elements read).");
        return {};
    } catch (const std::exception& e) {
        // A similar failure: the read fails, the program goes on.
        messages.ErrorBox(std::string("Exception: ") + e.what() +
                          "  Element: " + std::to_string(elements.Count()));
        return {};
    }
}

void DropByteOrderMark(std::string& text) {
    // Some editors put the UTF-8 mark first; it is invisible, so a refusal
    // of "\xEF\xBB\xBF1.2" as a version would make no sense to the user.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
}

KLoadResult LoadModelFile(KElements& elements, const std::string& path, const KLoadOptions& options,
                          KModelHeader& header, Messages& messages) {
    std::string text, error;
    if (!ReadWholeFile(path, text, error)) {
        messages.ErrorBox(error);
        return {};
    }
    DropByteOrderMark(text);
    KLineReader reader(std::move(text));
    return LoadModel(elements, reader, options, header, messages);
}

namespace {

void WriteBlock(KLineWriter& w, const KBlock& b) {
    w.WriteTwo(b.GetTypeTag(), "Start");
    if (const auto* module = dynamic_cast<const KCustMod*>(&b)) {
        w.WriteString(module->FileName(), "FileName");
    }
    w.WriteInt(b.Page(), "Page");
    w.WriteInt(b.X(), "X");
    w.WriteInt(b.Y(), "Y");
    w.WriteString(b.userString, "UserString");
    w.WriteBool(b.horizSwap, "HorizSwap");
    w.WriteBool(b.vertSwap, "VertSwap");
    for (const KNode& n : b.Nodes())
        if (n.IsSavedValue()) WriteNodeValue(w, n);
    w.WriteInt(b.IDNumber(), "IDNumber");
}

void WriteWire(KLineWriter& w, const KWire& wire) {
    w.WriteTwo("KWire", "Start");
    w.WriteInt(wire.Page(), "Page");
    w.WriteInt(wire.StartBlock(), "StartBlock");
    w.WriteInt(wire.StartBlockNode(), "StartBlockNode");
    w.WriteInt(wire.EndBlock(), "EndBlock");
    w.WriteInt(wire.EndBlockNode(), "EndBlockNode");
    w.WriteInt(static_cast<int>(wire.route.size()), "Bends");
    for (const KPoint& p : wire.route) {
        w.WriteInt(p.x, "X");
        w.WriteInt(p.y, "Y");
    }
    w.WriteInt(wire.IDNumber(), "IDNumber");
}

}  // namespace

std::string SaveModelText(const KElements& elements, const KModelHeader& header) {
    KLineWriter w;
    w.WriteDouble(kFileVersion, "Version");
    w.WriteBool(header.custMod, "CustMod");
    w.WriteInt(header.pages, "Pages");
    w.WriteInt(header.fontSize, "FontSize");
    w.WriteTwo("PageNames", "Start");
    for (int i = 0; i < header.pages; ++i) {
        std::string_view name =
            i < static_cast<int>(header.pageNames.size())
                ? std::string_view(header.pageNames[static_cast<std::size_t>(i)])
                : std::string_view();
        w.WriteString(name, "PageName");
    }
    for (const auto& e : elements.All())
        if (e->IsBlock() && e->ParentModule() < 0) WriteBlock(w, static_cast<const KBlock&>(*e));
    for (const auto& e : elements.All()) {
        if (!e->IsWire() || e->ParentModule() >= 0) continue;
        const auto& wire = static_cast<const KWire&>(*e);
        if (!wire.IsOpen()) WriteWire(w, wire);
    }
    w.WriteTwo("FileEnd", "Start");
    return w.TakeText();
}

bool SaveModelFile(const KElements& elements, const KModelHeader& header, const std::string& path,
                   bool replaceExisting, KFileSystem& fs, Messages& messages) {
    if (header.custMod && !CheckCustomModule(elements, messages)) return false;
    std::string text = SaveModelText(elements, header);
    return replaceExisting ? SaveFileSafely(fs, path, text, messages)
                           : SaveNewFile(fs, path, text, messages);
}

}  // namespace korvel
