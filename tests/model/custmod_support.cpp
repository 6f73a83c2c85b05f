#include "custmod_support.h"

#include <gtest/gtest.h>

#include "model/custmodfile.h"
#include "modelfile_support.h"

namespace korvel::filetest {

std::string ModuleText(const std::vector<Iface>& blocks, const std::vector<std::string>& before) {
    std::vector<std::string> lines = {"1.2,Version", "True,CustMod",    "1,Pages",
                                      "8,FontSize",  "PageNames,Start", "1,PageName"};
    lines.insert(lines.end(), before.begin(), before.end());
    int id = 100;
    for (const Iface& b : blocks) {
        std::vector<std::string> record = {
            b.tag + ",Start",
            "0,Page",
            "100,X",
            std::to_string(id * 10) + ",Y",
            Esc(b.name) + ",UserString",
            "False,HorizSwap",
            "False,VertSwap",
        };
        if (b.tag == "KCustInput") record.push_back("0,Input");
        if (b.tag == "KCustOutput") record.push_back("0,Output");
        record.push_back(b.edge + ",Edge");
        record.push_back(b.position + ",Position");
        if (b.tag == "KCustInput") record.push_back(b.initial + ",Initial Value");
        record.push_back(",Documentation");
        record.push_back(std::to_string(id++) + ",IDNumber");
        lines.insert(lines.end(), record.begin(), record.end());
    }
    lines.push_back("FileEnd,Start");
    return Crlf(lines);
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
