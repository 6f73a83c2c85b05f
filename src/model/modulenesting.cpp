#include "model/modulenesting.h"

#include <algorithm>
#include <set>

#include "base/messages.h"
#include "base/safefile.h"
#include "base/texthelpers.h"
#include "model/lineio.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"

namespace korvel {

namespace {

// A search whose "not found" is no news here.
class QuietMessages final : public Messages {
public:
    KAnswer Box(std::string_view, std::string_view, KButtons) override { return KAnswer::Ok; }
    void ShowMessage(const KTwoLineMessage&) override {}
};

struct Walk {
    const KModuleFinder& modules;
    std::vector<std::string> chain;  // bare names from the first module down
    std::set<std::string> cleared;   // modules already followed to their ends
};

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " contains ") + name;
    return text;
}

// Follows one module file; answers the name that closes a loop, or empty.
std::string Follow(Walk& walk, const std::string& name, const std::string& path) {
    walk.chain.push_back(name);
    std::string text, error;
    // A file that cannot be read holds no loop we could see; compiling and
    // placing report it in their own words.
    if (ReadWholeFile(path, text, error)) {
        DropByteOrderMark(text);
        QuietMessages quiet;
        for (const std::string& nested : NestedModuleNames(std::move(text))) {
            const std::string bare = FileNameOnly(nested);
            if (std::find(walk.chain.begin(), walk.chain.end(), bare) != walk.chain.end())
                return bare;
            if (walk.cleared.contains(bare)) continue;
            const std::optional<std::string> found = walk.modules.Find(bare, quiet);
            if (!found) {
                walk.cleared.insert(bare);
                continue;
            }
            if (std::string loop = Follow(walk, bare, *found); !loop.empty()) return loop;
        }
    }
    walk.chain.pop_back();
    walk.cleared.insert(name);
    return {};
}

}  // namespace

std::vector<std::string> NestedModuleNames(std::string text) {
    std::vector<std::string> names;
    KLineReader reader(std::move(text));
    std::vector<std::string> fields;
    std::string raw;
    bool afterModuleStart = false;
    while (reader.ReadLineFields(fields, raw) == KLineStatus::Line) {
        // A module block's record names its file on the line after "Start".
        if (afterModuleStart && fields.size() == 2 && fields[1] == "FileName")
            names.push_back(UnescapeString(fields[0]));
        afterModuleStart = fields.size() == 2 && fields[1] == "Start" && fields[0] == "KCustMod";
    }
    return names;
}

bool CheckModuleNesting(const std::string& path, const std::string& into,
                        const KModuleFinder& modules, Messages& messages) {
    Walk walk{modules, {}, {}};
    const std::string top = FileNameOnly(path);
    const std::string host = FileNameOnly(into);
    if (!host.empty()) walk.chain.push_back(host);
    const std::string loop = top == host ? host : Follow(walk, top, path);
    if (loop.empty()) return true;
    walk.chain.push_back(loop);
    const std::string who = loop == host  ? host + " would contain itself"
                            : loop == top ? "it contains itself"
                                          : "the module " + loop + " inside it contains itself";
    messages.ErrorBox("Custom module " + top + " cannot be used: " + who + " (" +
                      Joined(walk.chain) + "). Open the module and delete the module block "
                      "that leads back to it.");
    return false;
}

}  // namespace korvel
