// Custom module files composed line by line for the tests, and module blocks
// placed in a collection the way the editor places them.
#pragma once

#include <string>
#include <vector>

#include "base/messagerecorder.h"
#include "model/custmod.h"
#include "model/elements.h"
#include "model/modulefinder.h"

namespace korvel::filetest {

// One interface block of a module file; edge, position and initial value as
// the file writes them.
struct Iface {
    std::string tag;  // "KCustInput", "KCustOutput", "KCustDoc" or "KCustDctl"
    std::string name;
    std::string edge;
    std::string position;
    std::string initial = "0";
};

inline Iface In(std::string name, std::string edge, std::string position,
                std::string initial = "0") {
    return {"KCustInput", std::move(name), std::move(edge), std::move(position),
            std::move(initial)};
}
inline Iface Out(std::string name, std::string edge, std::string position) {
    return {"KCustOutput", std::move(name), std::move(edge), std::move(position)};
}

// A module file: the frame with CustMod True, the raw lines of `before`
// (other records), then one record per interface block, in order.
std::string ModuleText(const std::vector<Iface>& blocks,
                       const std::vector<std::string>& before = {});

// A module block as the editor places it: named, numbered, its nodes read
// from the module file through the finder. Fails the test when they cannot be.
KCustMod& AddModule(KElements& elements, int id, int x, int y, std::string name,
                    std::string fileName, const KModuleFinder& finder);

}  // namespace korvel::filetest
