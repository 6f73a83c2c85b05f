// korvel-run's instrument outputs end to end: --scope-out and --dsa-out.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <string>
#include <vector>

#include "clitesting.h"

namespace {

namespace fs = std::filesystem;
using namespace clitest;

std::string Model(const std::string& name) {
    return (fs::path(KORVEL_TEST_DATA) / "instruments" / name).string();
}

// The oscillator example's Auto-mode scope (0.02 s/div, so one sample every
// 0.5 ms, h = 1 ms) captures its first screen from the start of the run (a run
// ending before the next screen): 401 points, the first at t = 0, each stamped
// with the time it was taken (two samples per 1 ms step land on the same
// time), values of that time. The file is saved as --out is: a link planted
// where a partial file once went is never followed, a file already there is
// replaced.
TEST(ScopeOut, AnAutoModeScopeCapturesTheFirstScreenFromTimeZero) {
    const fs::path dir = TempDir() / "screens";
    fs::create_directories(dir);
    WriteFile(TempDir() / "victim.txt", "victim");
    fs::create_symlink(TempDir() / "victim.txt", dir / "Scope.csv.partial");
    WriteFile(dir / "Scope.csv", "old");
    Result r = RunCli(Example("oscillator.kvd").string() + " --until 0.2005 --every 0.1 --scope-out " +
                      dir.string());
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(TempDir() / "victim.txt"), "victim");
    std::string header;
    auto rows = Rows(ReadFile(dir / "Scope.csv"), header);
    EXPECT_EQ(header, "Time,x,v");
    ASSERT_EQ(rows.size(), 401u);
    EXPECT_EQ(rows[0][0], 0.0);
    EXPECT_EQ(rows[0][1], 1.0);
    EXPECT_NEAR(rows[1][0], 0.001, 1e-12);
    EXPECT_NEAR(rows[2][0], 0.001, 1e-12);
    EXPECT_NEAR(rows.back()[0], 0.2, 1e-12);
    for (const auto& row : rows) {
        EXPECT_NEAR(row[1], std::cos(row[0]), 1e-9);
        EXPECT_NEAR(row[2], -std::sin(row[0]), 1e-9);
    }
}

// A single-shot scope ends the run once its screen is complete: no --until
// needed, exit status 0, nothing on stderr.
TEST(ScopeOut, ASingleShotScopeEndsTheRun) {
    const fs::path model =
        Edited(Example("oscillator.kvd"), "single_shot.kvd",
               {{"0,Single Shot?", "1,Single Shot?"}, {"10,Time Increment", "0,Time Increment"}});
    const fs::path dir = TempDir() / "screens";
    Result r = RunCli(model.string() + " --every 0.05 --scope-out " + dir.string());
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    auto rows = Rows(r.out);
    ASSERT_FALSE(rows.empty());
    // The screen completes at 0.2 s; the run stops at that sample.
    EXPECT_NEAR(rows.back()[0], 0.2, 1e-9);
    EXPECT_EQ(Rows(ReadFile(dir / "Scope.csv")).size(), 401u);
}

struct BodeCase {
    const char* file;
    // The transfer function expected at a frequency in hertz.
    std::function<std::complex<double>(double)> expected;
    double gainTolDb;
    double phaseTolDeg;
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kT = 1.0 / 1024;  // the models' TSample
constexpr double kH = 1.0 / 8192;  // the models' solver step

// The analyzer holds each excitation value from half a sample period after
// one sample to half a period after the next, so for a system with step
// response S the sampled response is sum over k of
// (S(kT + T/2) - S(kT - T/2)) z^-k: the analytic curve of the held input.
std::complex<double> HeldResponse(const std::function<double(double)>& step, double f) {
    std::complex<double> sum = 0.0;
    const std::complex<double> z = std::polar(1.0, -2 * kPi * f * kT);
    std::complex<double> zk = 1.0;
    for (int k = 0; k < 4000; ++k) {
        const double lo = k == 0 ? 0.0 : step(k * kT - kT / 2);
        sum += (step(k * kT + kT / 2) - lo) * zk;
        zk *= z;
    }
    return sum;
}

double Lpf1Step(double t) {
    return 1 - std::exp(-t * 2 * kPi * 20);
}

double Lpf2Step(double t) {
    const double wn = 2 * kPi * 20, z = 0.2, r = std::sqrt(1 - z * z);
    return 1 - std::exp(-z * wn * t) * (std::cos(wn * r * t) + z / r * std::sin(wn * r * t));
}

// --dsa-out on models whose transfer function is known, with TSample 1/1024 s
// and h = 1/8192 s, so sample times fall exactly on steps. Checked over the
// bins up to 50 Hz (fs/20), where the excitation is at full strength.
// Tolerances: a Variable holds the value of the step's last evaluation, which
// lags the completed step by about h/6; the phase allows a delay of h/4
// (0.55 degrees at 50 Hz). The integrator is measured inside a loop closed
// around it (its own output never dies out, so it cannot be measured open);
// its loop error is not held between samples, and sampling it at 1024 Hz
// shifts the ratio by under 0.1 dB below fs/20.
TEST(DsaOut, GainAndPhaseMatchTheAnalyticBodeCurves) {
    const BodeCase kCases[] = {
        {"dsa_gain.kvd", [](double) { return std::complex<double>(2.0); }, 1e-9, 1e-9},
        {"dsa_lowpass1.kvd", [](double f) { return HeldResponse(Lpf1Step, f); }, 0.005, 0.0},
        {"dsa_lowpass2.kvd", [](double f) { return HeldResponse(Lpf2Step, f); }, 0.005, 0.0},
        {"dsa_integrator.kvd",
         [](double f) { return 50.0 / std::complex<double>(0.0, 2 * kPi * f); }, 0.1, 0.1},
    };
    for (const BodeCase& c : kCases) {
        SCOPED_TRACE(c.file);
        const fs::path out = TempDir() / (std::string(c.file) + ".csv");
        Result r = RunCli(Model(c.file) + " --every 1 --dsa-out DSA=" + out.string());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        std::string header;
        auto rows = Rows(ReadFile(out), header);
        EXPECT_EQ(header, "frequency_hz,gain_db,phase_deg");
        ASSERT_EQ(rows.size(), 2047u);  // bins 1 .. N/2 - 1 of N = 4096
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const double f = rows[i][0];
            ASSERT_EQ(f, (i + 1) / (4096 * kT));
            if (f > 50) break;
            const std::complex<double> h = c.expected(f);
            EXPECT_NEAR(rows[i][1], 20 * std::log10(std::abs(h)), c.gainTolDb) << f << " Hz";
            double dp = rows[i][2] - std::arg(h) * 180 / kPi;
            dp = std::remainder(dp, 360.0);
            EXPECT_NEAR(dp, 0.0, c.phaseTolDeg + 360 * f * kH / 4) << f << " Hz";
        }
    }
}

// The excitation starts afresh with each run: a second run (the analyzer
// found without its name) gives the same file.
TEST(DsaOut, TwoRunsGiveTheSameFile) {
    const fs::path a = TempDir() / "a.csv";
    const fs::path b = TempDir() / "b.csv";
    ASSERT_EQ(RunCli(Model("dsa_lowpass1.kvd") + " --every 1 --dsa-out " + a.string()).status, 0);
    ASSERT_EQ(RunCli(Model("dsa_lowpass1.kvd") + " --every 1 --dsa-out DSA=" + b.string()).status,
              0);
    EXPECT_EQ(ReadFile(a), ReadFile(b));
}

TEST(DsaOut, RefusalsAndTheirExitStatus) {
    const fs::path unchosen = Edited(Model("dsa_lowpass1.kvd"), "unchosen.kvd",
                                     {{"6,Output Channel", "-1,Output Channel"}});
    const fs::path zeroSample = Edited(Model("dsa_lowpass1.kvd"), "zero_sample.kvd",
                                       {{"0.0009765625,TSample", "0,TSample"}});
    const fs::path out = TempDir() / "out.csv";
    struct Case {
        const char* name;
        std::string args;
        int status;
        const char* says;
    };
    const Case kCases[] = {
        {"unknown analyzer", Model("dsa_lowpass1.kvd") + " --dsa-out Nope=" + out.string(), 3,
         "no signal analyzer named \"Nope\""},
        // 0.125 s of start zero time and 4096 samples of 1/1024 s.
        {"--until shorter than the record",
         Model("dsa_lowpass1.kvd") + " --until 4 --dsa-out " + out.string(), 3, "4.125"},
        {"output channel names no Variable", unchosen.string() + " --until 1", 1,
         "DSA Output Channel Error.  Cannot find channel (none) in DSA \"DSA\""},
        {"sample time of 0", zeroSample.string() + " --until 1", 1,
         "Sample Time must be > 0 in DSA \"DSA\""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        fs::remove(out);
        Result r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// The files the instruments write are never the model itself: the run is
// refused before it starts and the model keeps its bytes.
TEST(InstrumentOut, TheModelIsNeverATarget) {
    const fs::path dir = TempDir();
    const fs::path dsaModel = dir / "dsa.kvd";
    fs::copy_file(Model("dsa_lowpass1.kvd"), dsaModel);
    // The oscillator's scope is named "Scope": its screen would go to Scope.csv.
    const fs::path scopeModel = dir / "Scope.csv";
    fs::copy_file(Example("oscillator.kvd"), scopeModel);
    const std::string dsaBytes = ReadFile(dsaModel), scopeBytes = ReadFile(scopeModel);
    for (const std::string& args : {dsaModel.string() + " --dsa-out " + dsaModel.string(),
                                    dsaModel.string() + " --dsa-out DSA=" + dsaModel.string(),
                                    scopeModel.string() + " --until 0.01 --scope-out " + dir.string()}) {
        SCOPED_TRACE(args);
        Result r = RunCli(args);
        EXPECT_EQ(r.status, 3);
        EXPECT_NE(r.err.find("it would be overwritten"), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFile(dsaModel), dsaBytes);
    EXPECT_EQ(ReadFile(scopeModel), scopeBytes);
}

// Without --dsa-out the analyzer stays stopped, passes "Switched Input Wave"
// (0 here) through and asks for no sample time, so the model runs on.
TEST(DsaOut, AnAnalyzerNotStartedLeavesTheModelAlone) {
    Result r = RunCli(Model("dsa_lowpass1.kvd") + " --until 0.5 --every 0.25 --vars u,y");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Time,u,y\n0.25,0,0\n0.5,0,0\n");
}

}  // namespace
