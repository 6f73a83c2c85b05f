// Custom modules that hold their own Digital Controller: each instance
// samples at its own controller's period, end to end through korvel-run.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A module: "in" sampled by its own controller, whose TSample is the
// module input "period".
constexpr const char* kSampler = R"KVC(1.2,Version
True,CustMod
1,Pages
8,FontSize
PageNames,Start
Sampler,PageName
KCustInput,Start
0,Page
40,X
60,Y
in,UserString
False,HorizSwap
False,VertSwap
0,Input
0,Edge
2,Position
0,Initial Value
,Documentation
1,IDNumber
KCustInput,Start
0,Page
40,X
160,Y
period,UserString
False,HorizSwap
False,VertSwap
0,Input
0,Edge
4,Position
0.001,Initial Value
,Documentation
2,IDNumber
KDctl,Start
0,Page
160,X
160,Y
clock,UserString
False,HorizSwap
False,VertSwap
0.001,TSample
,Documentation
3,IDNumber
KDSampleHold,Start
0,Page
160,X
60,Y
hold,UserString
False,HorizSwap
False,VertSwap
0,Input
0,Output
3,Controller
,Documentation
4,IDNumber
KCustOutput,Start
0,Page
300,X
60,Y
out,UserString
False,HorizSwap
False,VertSwap
0,Output
2,Edge
2,Position
,Documentation
5,IDNumber
KWire,Start
0,Page
1,StartBlock
0,StartBlockNode
4,EndBlock
0,EndBlockNode
0,Bends
6,IDNumber
KWire,Start
0,Page
2,StartBlock
0,StartBlockNode
3,EndBlock
0,EndBlockNode
0,Bends
7,IDNumber
KWire,Start
0,Page
4,StartBlock
1,StartBlockNode
5,EndBlock
0,EndBlockNode
0,Bends
8,IDNumber
FileEnd,Start
)KVC";

// Two instances of the module on a ramp of time, with periods 0.02 and 0.05;
// the Solver's h is 0.01 and its "Time Increment" 0.2.
constexpr const char* kDesign = R"KVC(1.2,Version
False,CustMod
1,Pages
8,FontSize
PageNames,Start
Two rates,PageName
KSolver,Start
0,Page
20,X
20,Y
Solver,UserString
False,HorizSwap
False,VertSwap
0.01,h
0.2,Time Increment
,Documentation
1,IDNumber
KTime,Start
0,Page
40,X
100,Y
,UserString
False,HorizSwap
False,VertSwap
0,Time
,Documentation
2,IDNumber
KSimpleConstant,Start
0,Page
40,X
200,Y
fast period,UserString
False,HorizSwap
False,VertSwap
1,Mult
0.02,Input
,Documentation
3,IDNumber
KSimpleConstant,Start
0,Page
40,X
300,Y
slow period,UserString
False,HorizSwap
False,VertSwap
1,Mult
0.05,Input
,Documentation
4,IDNumber
KCustMod,Start
sampler.kvc,FileName
in,period,out,NodeNames
0,Page
200,X
100,Y
A,UserString
False,HorizSwap
False,VertSwap
0,in
0,period
0,out
5,IDNumber
KCustMod,Start
sampler.kvc,FileName
in,period,out,NodeNames
0,Page
200,X
250,Y
B,UserString
False,HorizSwap
False,VertSwap
0,in
0,period
0,out
6,IDNumber
KVariable,Start
0,Page
400,X
100,Y
fast,UserString
False,HorizSwap
False,VertSwap
0,Input
1,Scale
0,Offset
1,Show
1,Mult
,Documentation
0,AC Couple
7,IDNumber
KVariable,Start
0,Page
400,X
250,Y
slow,UserString
False,HorizSwap
False,VertSwap
0,Input
1,Scale
0,Offset
1,Show
1,Mult
,Documentation
0,AC Couple
8,IDNumber
KScope,Start
0,Page
20,X
400,Y
Scope,UserString
False,HorizSwap
False,VertSwap
-1,Trigger Source
0,Trigger Level
1,Positive Trig?
20,Trigger Position
1,Trigger Mode
0,Roll?
0.02,Time/Div
0,x vs y?
-1,H-Channel
0,Single Shot?
,Documentation
0,AC Trigger
9,IDNumber
KWire,Start
0,Page
2,StartBlock
0,StartBlockNode
5,EndBlock
0,EndBlockNode
0,Bends
10,IDNumber
KWire,Start
0,Page
2,StartBlock
0,StartBlockNode
6,EndBlock
0,EndBlockNode
0,Bends
11,IDNumber
KWire,Start
0,Page
3,StartBlock
0,StartBlockNode
5,EndBlock
1,EndBlockNode
0,Bends
12,IDNumber
KWire,Start
0,Page
4,StartBlock
0,StartBlockNode
6,EndBlock
1,EndBlockNode
0,Bends
13,IDNumber
KWire,Start
0,Page
5,StartBlock
2,StartBlockNode
7,EndBlock
0,EndBlockNode
0,Bends
14,IDNumber
KWire,Start
0,Page
6,StartBlock
2,StartBlockNode
8,EndBlock
0,EndBlockNode
0,Bends
15,IDNumber
FileEnd,Start
)KVC";

std::string RunKorvel(const std::string& args) {
    const std::string command = std::string(KORVEL_RUN) + " " + args + " 2>/dev/null";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    const int raw = pclose(pipe);
    return WIFEXITED(raw) && WEXITSTATUS(raw) == 0 ? out : std::string();
}

// The last sample instant at or before t of a controller whose wired period
// becomes known after the first evaluation: samples at 0.01, then every period.
double LastSample(double t, double period) {
    return 0.01 + std::floor((t - 0.01) / period + 1e-6) * period;
}

TEST(DigitalModules, EachInstanceSamplesAtItsOwnControllersPeriod) {
    const auto dir = std::filesystem::temp_directory_path() / "korvel_digital_modules";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "sampler.kvc", std::ios::binary) << kSampler;
    std::ofstream(dir / "design.kvd", std::ios::binary) << kDesign;
    const std::string csv = RunKorvel((dir / "design.kvd").string() + " --every 0.01");
    ASSERT_FALSE(csv.empty());
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Time,fast,slow");
    int rows = 0;
    while (std::getline(lines, line)) {
        double t = 0, fast = 0, slow = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf", &t, &fast, &slow), 3) << line;
        SCOPED_TRACE(line);
        EXPECT_NEAR(fast, LastSample(t, 0.02), 1e-9);
        EXPECT_NEAR(slow, LastSample(t, 0.05), 1e-9);
        ++rows;
    }
    EXPECT_GE(rows, 15);
}

}  // namespace
