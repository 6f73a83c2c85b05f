#include "modelfile_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>

#include "compiletesting.h"
#include "model/custmodfile.h"
#include "model/lineio.h"

namespace korvel::filetest {

namespace fs = std::filesystem;

std::string TestData(std::string_view name) {
    return std::string(KORVEL_TEST_DATA) + "/" + std::string(name);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    fs::path base = fs::temp_directory_path() / ("korvel-model-test-" + std::to_string(::getpid()) +
                                                 "-" + std::to_string(counter++));
    fs::remove_all(base);
    fs::create_directories(base);
    path_ = base.string();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::File(std::string_view name) const {
    return (fs::path(path_) / std::string(name)).string();
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::vector<std::string> LinesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line); lines.push_back(line))
        if (!line.empty() && line.back() == '\r') line.pop_back();
    return lines;
}

std::string Esc(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '\n' ? '\x01' : c == '\r' ? '\x02' : c == ',' ? '\x03' : c;
    return out;
}

KBlock& LoadedModel::BlockAt(int index) {
    KElement& e = elements.At(index);
    EXPECT_TRUE(e.IsBlock()) << "element " << index << " is not a block";
    return static_cast<KBlock&>(e);
}

KWire& LoadedModel::WireAt(int index) {
    KElement& e = elements.At(index);
    EXPECT_TRUE(e.IsWire()) << "element " << index << " is not a wire";
    return static_cast<KWire&>(e);
}

std::unique_ptr<LoadedModel> Load(std::string text, const KLoadOptions& options) {
    auto model = std::make_unique<LoadedModel>();
    KLineReader reader(std::move(text));
    model->result = LoadModel(model->elements, reader, options, model->header, model->messages);
    return model;
}

namespace {

std::string Visible(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127 || c == '\\') {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Number(double v) {
    std::ostringstream out;
    out << std::setprecision(17) << v;
    return out.str();
}

void DescribeNode(std::ostringstream& out, int index, const KNode& n) {
    out << "  node " << index << " '" << Visible(n.Name()) << "' role "
        << static_cast<int>(n.Role()) << " edge " << static_cast<int>(n.Edge()) << " pos "
        << n.Position() << " value " << Number(n.value) << " connected " << n.connected;
    if (n.HoldsText()) out << " text '" << Visible(n.Text()) << "'";
    if (n.Kind() == KValueKind::StringList) {
        out << " strings [";
        for (const std::string& s : n.Strings()) out << "'" << Visible(s) << "' ";
        out << "]";
    }
    if (n.Kind() == KValueKind::DsaButtons) {
        out << " buttons [";
        for (const KDsaButton& b : n.Buttons())
            out << "(" << b.used << " '" << Visible(b.name) << "' " << b.outputVariable << " "
                << b.inputVariable << ") ";
        out << "]";
    }
    out << "\n";
}

void DescribeBlock(std::ostringstream& out, const KBlock& b) {
    out << "block " << b.GetTypeTag() << " id " << b.IDNumber() << " page " << b.Page() << " at "
        << b.X() << "," << b.Y() << " size " << b.Width() << "x" << b.Height() << " name '"
        << Visible(b.userString) << "' swaps " << b.horizSwap << b.vertSwap << " parent "
        << b.ParentModule() << " selected " << b.selected << "\n";
    if (const auto* module = dynamic_cast<const KCustMod*>(&b))
        out << "  module file '" << Visible(module->FileName()) << "' type name '"
            << Visible(module->GetTypeName()) << "'\n";
    for (int i = 0; i < b.NodeCount(); ++i) DescribeNode(out, i, b.Node(i));
}

void DescribeWire(std::ostringstream& out, const KWire& w) {
    auto id = [](const KBlock* b) { return b ? std::to_string(b->IDNumber()) : std::string("-"); };
    out << "wire id " << w.IDNumber() << " page " << w.Page() << " from " << w.StartBlock() << "/"
        << w.StartBlockNode() << " to " << w.EndBlock() << "/" << w.EndBlockNode() << " attached "
        << id(w.StartBlockPtr()) << "/" << id(w.EndBlockPtr()) << " parent " << w.ParentModule()
        << " selected " << w.selected << " route";
    for (const KPoint& p : w.route) out << " (" << p.x << "," << p.y << ")";
    out << "\n";
}

}  // namespace

std::string Describe(const KElements& elements) {
    std::ostringstream out;
    for (const auto& e : elements.All()) {
        if (e->IsBlock()) DescribeBlock(out, static_cast<const KBlock&>(*e));
        if (e->IsWire()) DescribeWire(out, static_cast<const KWire&>(*e));
    }
    return out.str();
}

std::string Describe(const KModelHeader& header) {
    std::ostringstream out;
    out << "custMod " << header.custMod << " pages " << header.pages << " fontSize "
        << header.fontSize << " hasFontSize " << header.hasFontSize << " names [";
    for (const std::string& n : header.pageNames) out << "'" << Visible(n) << "' ";
    out << "]";
    return out.str();
}

std::string ConsistencyProblems(KElements& elements) {
    std::ostringstream out;
    std::vector<const KNode*> wiredNodes;
    for (const auto& e : elements.All()) {
        if (e->Owner() != &elements) out << "element " << e->IDNumber() << " has no owner\n";
        KElement* found = elements.FindByNumber(e->IDNumber());
        if (!found || found->IDNumber() != e->IDNumber())
            out << "number " << e->IDNumber() << " is not found\n";
        if (!e->IsWire()) continue;
        const auto& w = static_cast<const KWire&>(*e);
        for (const KBlock* b : {w.StartBlockPtr(), w.EndBlockPtr()}) {
            if (!b) continue;
            if (elements.IndexOf(*b) < 0)
                out << "wire " << w.IDNumber() << " points at a block outside the collection\n";
        }
        if (w.StartBlockPtr() && !w.StartNode())
            out << "wire " << w.IDNumber() << " starts on a node its block lacks\n";
        if (w.EndBlockPtr() && !w.EndNode())
            out << "wire " << w.IDNumber() << " ends on a node its block lacks\n";
        if (w.StartNode()) wiredNodes.push_back(w.StartNode());
        if (w.EndNode()) wiredNodes.push_back(w.EndNode());
    }
    for (const auto& e : elements.All()) {
        if (!e->IsBlock()) continue;
        const auto& b = static_cast<const KBlock&>(*e);
        for (const KNode& n : b.Nodes()) {
            bool wired = std::find(wiredNodes.begin(), wiredNodes.end(), &n) != wiredNodes.end();
            if (wired && !n.connected)
                out << "a wired node of block " << b.IDNumber() << " is not marked connected\n";
        }
    }
    return out.str();
}

KBlock& AddBlock(KElements& elements, int type, int id, int x, int y, std::string name) {
    std::unique_ptr<KBlock> b = MakeBlock(type);
    b->SetIDNumber(id);
    b->SetPosition(x, y);
    b->userString = std::move(name);
    return static_cast<KBlock&>(elements.Add(std::move(b)));
}

KWire& AddWire(KElements& elements, int id, KBlock& from, int fromNode, KBlock& to, int toNode) {
    auto w = std::make_unique<KWire>(id, from.Page());
    w->SetStartBlock(from.IDNumber());
    w->SetStartBlockNode(fromNode);
    w->SetEndBlock(to.IDNumber());
    w->SetEndBlockNode(toNode);
    KMessageRecorder messages;
    EXPECT_TRUE(w->Connect(&from, &to, messages)) << ::testing::PrintToString(messages.Texts());
    w->Route();
    return static_cast<KWire&>(elements.Add(std::move(w)));
}

std::string ModuleText(const std::vector<Iface>& blocks, const std::vector<std::string>& before) {
    testing_compile::ModelText text(true);
    text.Raw(before);
    int id = 100;
    for (const Iface& b : blocks) {
        const bool input = b.tag == "KCustInput";
        std::vector<std::string> lines;
        if (input || b.tag == "KCustOutput") lines.push_back(input ? "0,Input" : "0,Output");
        lines.push_back(b.edge + ",Edge");
        lines.push_back(b.position + ",Position");
        if (input) lines.push_back(b.initial + ",Initial Value");
        lines.push_back(",Documentation");
        text.Block(b.tag, id++, Esc(b.name), lines);
    }
    return text.Text();
}

KCustMod& AddModule(KElements& elements, int id, int x, int y, std::string name,
                    std::string fileName, const KModuleFinder& finder) {
    auto block = std::make_unique<KCustMod>();
    block->SetIDNumber(id);
    block->SetPosition(x, y);
    block->userString = std::move(name);
    block->SetFileName(std::move(fileName));
    KMessageRecorder messages;
    EXPECT_TRUE(LoadNodeArray(*block, &finder, messages))
        << ::testing::PrintToString(messages.Texts());
    return static_cast<KCustMod&>(elements.Add(std::move(block)));
}

}  // namespace korvel::filetest
