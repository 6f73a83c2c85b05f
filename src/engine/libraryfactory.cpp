#include "engine/libraryfactory.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "engine/benchtop.h"
#include "engine/blocks_analog.h"
#include "engine/blocks_logic.h"
#include "engine/blocks_math.h"
#include "engine/blocks_misc.h"
#include "engine/blocks_program.h"
#include "engine/blocks_sources.h"
#include "model/blocktype.h"

namespace korvel {

namespace {

// Builds the object and puts it on the compute list.
template <class T>
void Make(KBenchTop& benchTop, KBlock& block) {
    benchTop.AddCompute(benchTop.Adopt(std::make_unique<T>(benchTop, block)));
}

struct Entry {
    std::string_view tag;
    KLibraryMaker make;
};

constexpr Entry kMakers[] = {
    // Frame
    {"KSolver", &MakeSolverBlock},
    {"KVariable", &Make<KLibraryVariable>},
    {"KStop", &Make<KLibraryStop>},
    {"KTime", &Make<KLibraryTime>},
    // Analog
    {"KInt", &Make<KLibraryInt>},
    {"KClampedInt", &Make<KLibraryClampedInt>},
    {"KLpf1", &Make<KLibraryLpf1>},
    // Math
    {"KAdd", &Make<KLibraryAdd>},
    {"KSub", &Make<KLibrarySub>},
    {"KAdd3", &Make<KLibraryAdd3>},
    {"KMult", &Make<KLibraryMult>},
    {"KMult3", &Make<KLibraryMult3>},
    {"KDivide", &Make<KLibraryDivide>},
    {"KScale", &Make<KLibraryScale>},
    {"KIScale", &Make<KLibraryIScale>},
    {"KSqrt", &Make<KLibrarySqrt>},
    {"KOneOverX", &Make<KLibraryOneOverX>},
    {"KAbsValue", &Make<KLibraryAbsValue>},
    {"KMinusX", &Make<KLibraryMinusX>},
    {"KModulo", &Make<KLibraryModulo>},
    {"KQuantize", &Make<KLibraryQuantize>},
    {"KExp", &Make<KLibraryExp>},
    {"KExpLnY", &Make<KLibraryExpLnY>},
    {"KExpNLnY", &Make<KLibraryExpNLnY>},
    // Constants
    {"KSimpleConstant", &Make<KLibrarySimpleConstant>},
    {"KScaleBySimple", &Make<KLibraryScaleBySimple>},
    // Compare
    {"KCompareEQ", &Make<KLibraryCompareEQ>},
    {"KCompareNE", &Make<KLibraryCompareNE>},
    {"KCompareGT", &Make<KLibraryCompareGT>},
    {"KCompareGE", &Make<KLibraryCompareGE>},
    {"KCompareLT", &Make<KLibraryCompareLT>},
    {"KCompareLE", &Make<KLibraryCompareLE>},
    {"KComparator", &Make<KLibraryCompareGE>},
    // Logic
    {"KLogicAnd", &Make<KLibraryLogicAnd>},
    {"KLogicNand", &Make<KLibraryLogicNand>},
    {"KLogicOr", &Make<KLibraryLogicOr>},
    {"KLogicNor", &Make<KLibraryLogicNor>},
    {"KLogicXor", &Make<KLibraryLogicXor>},
    {"KLogicNXor", &Make<KLibraryLogicNXor>},
    {"KLogicNot", &Make<KLibraryLogicNot>},
    {"KLogicBuffer", &Make<KLibraryLogicBuffer>},
    {"KLogicTimedBuffer", &Make<KLibraryLogicTimedBuffer>},
    // Waveforms
    {"KSin", &Make<KLibrarySin>},
    {"KCos", &Make<KLibraryCos>},
    {"KSquareWave", &Make<KLibrarySquareWave>},
    {"KTriangleWave", &Make<KLibraryTriangleWave>},
    {"KSawtoothWave", &Make<KLibrarySawtoothWave>},
    {"KRandom", &Make<KLibraryRandom>},
    // Program
    {"KProgram2i2o", &Make<KLibraryProgram>},
    {"KProgram4i4o", &Make<KLibraryProgram>},
    {"KProgram8i8o", &Make<KLibraryProgram>},
};

constexpr std::string_view kPassive[] = {
    "KExtender",
    "KExtenderOutput",
    "KCustMod",
    "KCustInput",
    "KCustOutput",
    "KCustDoc",
    "KCustDctl",
    "KLabel",
    "KAnchor",
    // Every runnable model has an oscilloscope. Until scope acquisition
    // exists it watches nothing, so headless runs of such models work.
    "KScope",
};

// Makers indexed by type number, so building a large model looks each block
// up in constant time.
const std::array<KLibraryMaker, kBlockTypeCount>& MakersByType() {
    static const std::array<KLibraryMaker, kBlockTypeCount> table = [] {
        std::array<KLibraryMaker, kBlockTypeCount> byType{};
        for (const Entry& entry : kMakers) {
            const std::optional<int> type = FindBlockTypeByTag(entry.tag);
            if (type) byType[static_cast<std::size_t>(*type)] = entry.make;
        }
        return byType;
    }();
    return table;
}

}  // namespace

KLibraryMaker FindLibraryMaker(int type) {
    if (type < 0 || type >= kBlockTypeCount) return nullptr;
    return MakersByType()[static_cast<std::size_t>(type)];
}

KLibraryMaker FindLibraryMaker(std::string_view tag) {
    const std::optional<int> type = FindBlockTypeByTag(tag);
    return type ? FindLibraryMaker(*type) : nullptr;
}

bool IsPassiveType(std::string_view tag) {
    return std::find(std::begin(kPassive), std::end(kPassive), tag) != std::end(kPassive);
}

bool CanRun(std::string_view tag) {
    return IsPassiveType(tag) || FindLibraryMaker(tag) != nullptr;
}

}  // namespace korvel
