#include "engine/libraryfactory.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "engine/benchtop.h"
#include "engine/blocks_analog.h"
#include "engine/blocks_control.h"
#include "engine/blocks_dfilter.h"
#include "engine/blocks_digital.h"
#include "engine/blocks_display.h"
#include "engine/blocks_excel.h"
#include "engine/blocks_filters.h"
#include "engine/blocks_instruments.h"
#include "engine/blocks_live.h"
#include "engine/blocks_logic.h"
#include "engine/blocks_math.h"
#include "engine/blocks_meters.h"
#include "engine/blocks_misc.h"
#include "engine/blocks_motion.h"
#include "engine/blocks_nonlinear.h"
#include "engine/blocks_profile.h"
#include "engine/blocks_program.h"
#include "engine/blocks_sources.h"
#include "engine/blocks_wavegen.h"
#include "model/blocktype.h"

namespace korvel {

namespace {

// Builds the object and puts it on the compute list.
template <class T>
void Make(KBenchTop& benchTop, KBlock& block) {
    benchTop.AddCompute(benchTop.Adopt(std::make_unique<T>(benchTop, block)));
}

// Live scopes are computed and sampled after each run-loop pass.
void MakeLiveVariable(KBenchTop& benchTop, KBlock& block) {
    benchTop.AddComputeAndLive(
        benchTop.Adopt(std::make_unique<KLibraryLiveVariable>(benchTop, block)));
}

// Builds the object, puts it on the compute list and the display list.
template <class T>
void MakeDisplayed(KBenchTop& benchTop, KBlock& block) {
    T& object = benchTop.Adopt(std::make_unique<T>(benchTop, block));
    benchTop.AddCompute(object);
    benchTop.AddDisplay(object);
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
    // Spreadsheet link
    {"KExcelFile", &Make<KLibraryExcelFile>},
    {"KExcelLoad", &Make<KLibraryExcelLoad>},
    {"KExcelStore", &Make<KLibraryExcelStore>},
    {"KExcelMotor", &Make<KLibraryExcelMotor>},
    // Instruments
    {"KScope", &MakeScopeBlock},
    {"KDsa", &MakeDsaBlock},
    {"KLiveVariable", &MakeLiveVariable},
    {"KLiveVariable2", &MakeLiveVariable},
    // Analog filters, control laws, nonlinear blocks and the waveform engine
    {"KSFilter1", &MakeSFilter<1>},
    {"KSFilter2", &MakeSFilter<2>},
    {"KSFilter3", &MakeSFilter<3>},
    {"KSFilter4", &MakeSFilter<4>},
    {"KSFilter5", &MakeSFilter<5>},
    {"KSFilter6", &MakeSFilter<6>},
    {"KLeadLag", &Make<KLibraryLeadLag>},
    {"KLpf2", &Make2PoleFilter<KLibrary2PoleFilter::Kind::LowPass>},
    {"KLpf2a", &Make2PoleFilter<KLibrary2PoleFilter::Kind::LowPassA>},
    {"KNotch", &Make2PoleFilter<KLibrary2PoleFilter::Kind::Notch>},
    {"KBiQuad", &Make2PoleFilter<KLibrary2PoleFilter::Kind::BiQuad>},
    {"KPi", &Make<KLibraryPi>},
    {"KPiPlus", &Make<KLibraryPiPlus>},
    {"KPid", &Make<KLibraryPid>},
    {"KSwitch", &Make<KLibrarySwitch>},
    {"KSwitch4", &Make<KLibrarySwitch4>},
    {"KHyster", &Make<KLibraryHyster>},
    {"KClamp", &Make<KLibraryClamp>},
    {"KRampLimit", &Make<KLibraryRampLimit>},
    {"KRevShift", &Make<KLibraryRevShift>},
    {"KDeadband", &Make<KLibraryDeadband>},
    {"KDeadbandComp", &Make<KLibraryDeadbandComp>},
    {"KWaveGen", &Make<KLibraryWaveGen>},
    // Digital
    {"KDctl", &Make<KLibraryDctl>},
    {"KDDelay", &Make<KLibraryDDelay>},
    {"KDSampleHold", &Make<KLibraryDSampleHold>},
    {"KDSum", &Make<KLibraryDSum>},
    {"KDDiff", &Make<KLibraryDDiff>},
    {"KDInvTrap", &Make<KLibraryDInvTrap>},
    {"KDTCalc", &Make<KLibraryDTCalc>},
    {"KDRandom", &Make<KLibraryDRandom>},
    {"KDDither", &Make<KLibraryDDither>},
    {"KDPi", &Make<KLibraryDPid>},
    {"KDPid", &Make<KLibraryDPid>},
    {"KDPid2", &Make<KLibraryDPid2>},
    {"KDPiPlus", &Make<KLibraryDPiPlus>},
    {"KDLpf1", &Make<KLibraryDLpf1>},
    {"KDLpf2", &Make<KLibraryDLpf2>},
    {"KDLpf2a", &Make<KLibraryDLpf2a>},
    {"KDNotch", &Make<KLibraryDNotch>},
    {"KDLeadLag", &Make<KLibraryDLeadLag>},
    {"KDBiQuad", &Make<KLibraryDBiQuad>},
    {"KZFilter1", &Make<KLibraryZFilter1>},
    {"KZFilter2", &Make<KLibraryZFilter2>},
    {"KZFilter3", &Make<KLibraryZFilter3>},
    {"KZFilter4", &Make<KLibraryZFilter4>},
    {"KZFilter5", &Make<KLibraryZFilter5>},
    {"KZFilter6", &Make<KLibraryZFilter6>},
    // Live constants, switches and meters
    {"KDConstant", &MakeDisplayed<KLibraryDirectConstant>},
    {"KDIConstant", &MakeDisplayed<KLibraryDirectIConstant>},
    {"KSConstant", &MakeDisplayed<KLibraryScaleByConstant>},
    {"KISConstant", &MakeDisplayed<KLibraryIScaleByConstant>},
    {"KStringConstant", &MakeDisplayed<KLibraryStringConstant>},
    {"KButton", &MakeDisplayed<KLibraryButton>},
    {"KRelay", &MakeDisplayed<KLibraryRelay>},
    {"KMeterRMS", &MakeDisplayed<KLibraryMeterRMS>},
    {"KMeterDC", &MakeDisplayed<KLibraryMeterDC>},
    {"KMeterHarm", &MakeDisplayed<KLibraryMeterHarm>},
    {"KHarmCorrTable", &MakeDisplayed<KLibraryHarmCorrTable>},
    {"KMeterTimer", &MakeDisplayed<KLibraryMeterTimer>},
    {"KMeterCounter", &MakeDisplayed<KLibraryMeterCounter>},
    {"KMeterInspect", &MakeDisplayed<KLibraryMeterInspect>},
    {"KMeterTrigInspect", &MakeDisplayed<KLibraryMeterTrigInspect>},
    {"KLamp", &MakeDisplayed<KLibraryLamp>},
    {"KBar", &MakeDisplayed<KLibraryBar>},
    {"KDial", &MakeDisplayed<KLibraryDial>},
    {"KBanner", &MakeDisplayed<KLibraryBanner>},
    {"KMessage", &MakeDisplayed<KLibraryMessage>},
    // Motion
    {"KMech2J", &Make<KLibraryMech2J>},
    {"KABC2DQ", &Make<KLibraryABC2DQ>},
    {"KDQ2ABC", &Make<KLibraryDQ2ABC>},
    {"KFriction", &Make<KLibraryFriction>},
    {"KHarmError", &Make<KLibraryHarmError>},
    {"KMotorFb", &Make<KLibraryMotorFb>},
    {"KProfileAVD", &Make<KLibraryProfileAVD>},
    {"KProfile333", &Make<KLibraryProfile333>},
    {"KProfile333PA", &Make<KLibraryProfile333PA>},
    {"KProfileTri", &Make<KLibraryProfileTri>},
    // Program
    {"KProgram2i2o", &Make<KLibraryProgram>},
    {"KProgram4i4o", &Make<KLibraryProgram>},
    {"KProgram8i8o", &Make<KLibraryProgram>},
    {"KProgramDigital2i2o", &Make<KLibraryProgramDigital>},
    {"KProgramDigital4i4o", &Make<KLibraryProgramDigital>},
    {"KProgramDigital8i8o", &Make<KLibraryProgramDigital>},
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
