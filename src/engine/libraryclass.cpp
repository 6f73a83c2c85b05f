#include "engine/libraryclass.h"

#include <string>

#include "base/messages.h"
#include "engine/benchtop.h"
#include "engine/variables.h"
#include "model/block.h"

namespace korvel {

double* NodeSlot(KBenchTop& benchTop, KBlock& block, std::string_view node) {
    const KNode* found = block.FindNode(node);
    if (found == nullptr) {
        benchTop.Sink().FatalBox("Fault in KLibraryClass :: NodeSlot: a " +
                                 std::string(block.GetTypeTag()) + " block has no node \"" +
                                 std::string(node) + "\"");
    }
    const int slot = benchTop.Arena().SlotOf(*found);
    if (slot < 0) {
        benchTop.Sink().FatalBox("Fault in KLibraryClass :: NodeSlot: node \"" + std::string(node) +
                                 "\" of block \"" + block.userString + "\" has no value slot");
    }
    return benchTop.Arena().Data() + slot;
}

KLibraryClass::KLibraryClass(KBenchTop& benchTop, KBlock& block)
    : benchTop_(benchTop), block_(block) {}

void KLibraryClass::Compute(double) {}

bool KLibraryClass::SampleLive(double) {
    return true;
}

bool KLibraryClass::DescribeKernel(KKernel&) const {
    return false;
}

const std::string& KLibraryClass::Name() const {
    return block_.userString;
}

std::string_view KLibraryClass::Tag() const {
    return block_.GetTypeTag();
}

const double* KLibraryClass::In(std::string_view node) {
    const double* slot = NodeSlot(benchTop_, block_, node);
    reads_.push_back(SlotIndex(slot));
    return slot;
}

double* KLibraryClass::Out(std::string_view node) {
    double* slot = NodeSlot(benchTop_, block_, node);
    writes_.push_back(SlotIndex(slot));
    return slot;
}

double* KLibraryClass::StateOut(std::string_view node, KStateVar& state) {
    double* slot = NodeSlot(benchTop_, block_, node);
    *slot = state.Value();
    benchTop_.AddStateOutput(SlotIndex(slot), state.Index());
    return slot;
}

double KLibraryClass::NodeValue(std::string_view node) const {
    const KNode* found = block_.FindNode(node);
    if (found == nullptr) {
        benchTop_.Sink().FatalBox("Fault in KLibraryClass :: NodeValue: a " +
                                  std::string(block_.GetTypeTag()) + " block has no node \"" +
                                  std::string(node) + "\"");
    }
    return found->value;
}

void KLibraryClass::RefreshBeforeEachEvaluation() {
    benchTop_.AddRefresh(*this);
}

std::uint32_t KLibraryClass::SlotIndex(const double* slot) const {
    return static_cast<std::uint32_t>(slot - benchTop_.Arena().Data());
}

}  // namespace korvel
