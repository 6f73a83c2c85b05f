// Helpers shared by the compile tests: building models in code, writing
// custom module files as text into a scratch folder, and reading back what a
// compile left behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/compile.h"
#include "model/compiled.h"
#include "model/custmod.h"
#include "model/custmodfile.h"
#include "model/elements.h"
#include "model/modulefinder.h"
#include "model/wire.h"
#include "modelfile_support.h"

namespace korvel::testing_compile {

// Type numbers and node indexes the tests use.
constexpr int kZFilter1 = 37;        // Output 0, Input 1, Controller 2 (Dctl reference)
constexpr int kInt = 19;             // Input 0, Output 1 (state output), Gain 2, ...
constexpr int kExtender = 43;        // Connect 0 (input)
constexpr int kExtenderOutput = 44;  // Connect 0 (mated input)
constexpr int kCustInput = 46;       // Input 0 (mated input, feeds the inside)
constexpr int kCustOutput = 47;      // Output 0 (input, takes the inside's signal)
constexpr int kAdd = 53;             // Input1 0, Input2 1, Output 2
constexpr int kVariable = 13;        // Input 0
constexpr int kSolver = 103;
constexpr int kScope = 105;
constexpr int kDsa = 106;
constexpr int kDctl = 107;
constexpr int kTime = 126;  // Time 0 (output)
constexpr int kExcelFile = 146;
constexpr int kExcelLoad = 147;  // Excel File 3 (reference)

inline KBlock& AddBlock(KElements& elements, int type, int number, int page = 0) {
    auto b = MakeBlock(type);
    b->SetIDNumber(number);
    b->SetPage(page);
    return static_cast<KBlock&>(elements.Add(std::move(b)));
}

inline KWire& AddWire(KElements& elements, Messages& messages, int number, KBlock& from,
                      int fromNode, KBlock& to, int toNode) {
    auto w = std::make_unique<KWire>(number, from.Page());
    w->SetStartBlockNode(fromNode);
    w->SetEndBlockNode(toNode);
    EXPECT_TRUE(w->Connect(&from, &to, messages));
    return static_cast<KWire&>(elements.Add(std::move(w)));
}

// The IDNumbers of the execution order.
inline std::vector<int> OrderedNumbers(const KCompiled& compiled) {
    std::vector<int> out;
    for (const KBlock* b : compiled.ordered) out.push_back(b->IDNumber());
    return out;
}

// The IDNumbers of the blocks drawn red (not computed), in collection order.
inline std::vector<int> RedNumbers(const KElements& elements) {
    std::vector<int> out;
    for (const auto& e : elements.All())
        if (e->IsBlock() && !static_cast<const KBlock&>(*e).IsComputed())
            out.push_back(e->IDNumber());
    return out;
}

// The text of a model file, written record by record.
class ModelText {
public:
    explicit ModelText(bool custMod) {
        Line("1.2", "Version");
        Line(custMod ? "True" : "False", "CustMod");
        Line("1", "Pages");
        Line("8", "FontSize");
        Line("PageNames", "Start");
        Line("Page 1", "PageName");
    }

    // A block record; `nodeLines` are extra "value,Name" lines.
    ModelText& Block(std::string_view tag, int number, std::string_view name = "Block",
                     const std::vector<std::string>& nodeLines = {}) {
        Line(tag, "Start");
        return Body(number, name, nodeLines);
    }
    ModelText& Module(std::string_view fileName, int number, std::string_view name = "Module") {
        Line("KCustMod", "Start");
        Line(fileName, "FileName");
        return Body(number, name, {});
    }
    // Interface blocks; edge 0 left, 1 top, 2 right, 3 bottom.
    ModelText& Input(int number, std::string_view name, int position, int edge = 0) {
        return Block("KCustInput", number, name,
                     {std::to_string(edge) + ",Edge", std::to_string(position) + ",Position",
                      "0,Initial Value"});
    }
    ModelText& Output(int number, std::string_view name, int position, int edge = 2) {
        return Block("KCustOutput", number, name,
                     {std::to_string(edge) + ",Edge", std::to_string(position) + ",Position"});
    }
    ModelText& Wire(int number, int from, int fromNode, int to, int toNode) {
        Line("KWire", "Start");
        Line("0", "Page");
        Line(std::to_string(from), "StartBlock");
        Line(std::to_string(fromNode), "StartBlockNode");
        Line(std::to_string(to), "EndBlock");
        Line(std::to_string(toNode), "EndBlockNode");
        Line("0", "Bends");
        Line(std::to_string(number), "IDNumber");
        return *this;
    }
    // Lines as they stand, each ended by CR LF.
    ModelText& Raw(const std::vector<std::string>& lines) {
        for (const std::string& l : lines) text_ += l + "\r\n";
        return *this;
    }
    std::string Text() const { return text_ + "FileEnd,Start\r\n"; }
    // The text so far, without its end record: a file cut short.
    const std::string& Truncated() const { return text_; }

private:
    ModelText& Body(int number, std::string_view name, const std::vector<std::string>& nodeLines) {
        Line("0", "Page");
        Line("10", "X");
        Line("10", "Y");
        Line(name, "UserString");
        Line("False", "HorizSwap");
        Line("False", "VertSwap");
        Raw(nodeLines);
        Line(std::to_string(number), "IDNumber");
        return *this;
    }
    void Line(std::string_view value, std::string_view keyword) {
        text_ += std::string(value) + "," + std::string(keyword) + "\r\n";
    }
    std::string text_;
};

// A scratch folder for module files, removed when the test ends.
class ModuleFolder {
public:
    void Write(const std::string& fileName, const std::string& text) const {
        filetest::WriteBytes(dir_.File(fileName), text);
    }
    void Remove(const std::string& fileName) const { std::filesystem::remove(dir_.File(fileName)); }
    const KModuleFinder& Finder() const { return finder_; }

private:
    filetest::TempDir dir_;
    KModuleFinder finder_{std::vector<std::string>{dir_.Path()}};
};

// A module block of the top-level model, its nodes read from its file.
inline KCustMod& AddModule(KElements& elements, const ModuleFolder& folder, Messages& messages,
                           const std::string& fileName, int number) {
    auto m = std::make_unique<KCustMod>();
    m->SetFileName(fileName);
    EXPECT_TRUE(LoadNodeArray(*m, &folder.Finder(), messages));
    m->SetIDNumber(number);
    return static_cast<KCustMod&>(elements.Add(std::move(m)));
}

// A collection to compile, with the blocks and wires of the tests.
class CompileFixture : public ::testing::Test {
public:
    KBlock& Block(int type, int number) { return AddBlock(elements, type, number); }
    KWire& Wire(int number, KBlock& from, int fromNode, KBlock& to, int toNode) {
        return AddWire(elements, messages, number, from, fromNode, to, toNode);
    }
    // Solver 0, Variable 1 and Scope 2: what every model needs to pass the rules.
    void AddRunnable() {
        Block(kSolver, 0);
        variable = &Block(kVariable, 1);
        Block(kScope, 2);
    }
    bool Compile(const KModuleFinder* modules = nullptr) {
        KCompileOptions options;
        options.modules = modules;
        compiled = CompileModel(elements, options, messages);
        return compiled.Ok();
    }

    KMessageRecorder messages;
    KElements elements{messages};
    KCompiled compiled;
    KBlock* variable = nullptr;
};

}  // namespace korvel::testing_compile
