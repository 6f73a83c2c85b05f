// Settings, recent files, page names and the command line: the pieces of
// the main window that are plain rules.
#include "app/appsettings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/platform.h"
#include "app/qtsettings.h"
#include "app/startup.h"
#include "base/settings.h"

namespace korvel {
namespace {

TEST(AppSettings, MissingOrGarbageValuesGiveTheDefaultsAndTheNextWriteRepairs) {
    KMemorySettings store;
    const KAppSettings fresh = KAppSettings::Read(store, false);
    EXPECT_FALSE(fresh.windowStateNormal);  // maximised
    EXPECT_EQ(fresh.lastDir, "..\\Models");
    store.Set("UserStringFontSize", "abc");
    store.Set("AutoSaveBeforeCompile", "maybe");
    store.Set("WindowWidth", "-5");
    store.Set("WindowHeight", "600");
    store.Set("WindowTop", "10");
    store.Set("WindowLeft", "10");
    store.Set("NumCustModDirs", "1000000");
    for (int i = 0; i < 30; ++i)
        store.Set("CustModDirs" + std::to_string(i), "/d" + std::to_string(i));
    store.Remove("CustModDirs3");  // a hole inside the count
    KAppSettings s = KAppSettings::Read(store, false);
    EXPECT_EQ(s.userStringFontSize, 8);
    EXPECT_TRUE(s.autoSaveBeforeCompile);
    EXPECT_EQ(s.bounds.width, KWindowBounds{}.width);
    ASSERT_EQ(s.custModDirs.size(), 19u);  // 20 read, the missing one skipped
    EXPECT_EQ(s.custModDirs[3], "/d4");
    s.Write(store, false);
    EXPECT_EQ(store.Get("UserStringFontSize"), "8");
    EXPECT_EQ(store.Get("NumCustModDirs"), "19");
    EXPECT_EQ(store.Get("WindowWidth"), std::to_string(KWindowBounds{}.width));
    EXPECT_FALSE(store.Get("CustModDirs19").has_value());
}

TEST(AppSettings, RoundTripKeepsCustomWindowValuesApart) {
    KMemorySettings store;
    KAppSettings design;
    design.autoSaveBeforeCompile = false;
    design.userStringFontSize = 12;
    design.windowStateNormal = true;
    design.bounds = {11, 22, 333, 444};
    design.lastDir = "/models";
    design.recentFiles = {"/a.kvd", "/b.kvd"};
    design.custModDirs = {"/mods"};
    design.Write(store, false);
    KAppSettings module = KAppSettings::Read(store, true);
    module.bounds = {5, 6, 700, 800};
    module.Write(store, true);
    EXPECT_EQ(store.Get("WindowLeft"), "11");
    EXPECT_EQ(store.Get("ForCustomWindowLeft"), "5");
    EXPECT_EQ(store.Get("ForCustomWindowHeight"), "800");
    const KAppSettings back = KAppSettings::Read(store, false);
    EXPECT_FALSE(back.autoSaveBeforeCompile);
    EXPECT_EQ(back.userStringFontSize, 12);
    EXPECT_TRUE(back.windowStateNormal);
    EXPECT_EQ(back.bounds.top, 22);
    EXPECT_EQ(back.bounds.height, 444);
    EXPECT_EQ(back.lastDir, "/models");
    EXPECT_EQ(back.recentFiles, (std::vector<std::string>{"/a.kvd", "/b.kvd"}));
    EXPECT_EQ(back.custModDirs, (std::vector<std::string>{"/mods"}));
}

TEST(AppSettings, FontSizeRoundsHalvesUpAndIsLimited) {
    struct Case {
        double in;
        int out;
    };
    for (Case c : {Case{7.5, 8}, Case{7.49, 7}, Case{0, 2}, Case{-30, 2}, Case{41, 40},
                   Case{1e300, 40}, Case{2, 2}, Case{40, 40}}) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(ClampFontSize(c.in), c.out);
    }
}

TEST(RecentFiles, TenOpensKeepNineAndReopeningMovesToTheTop) {
    std::vector<std::string> recent;
    for (int i = 0; i < 10; ++i) PushRecentFile(recent, "/m/" + std::to_string(i) + ".kvd");
    ASSERT_EQ(recent.size(), 9u);
    EXPECT_EQ(recent.front(), "/m/9.kvd");
    EXPECT_EQ(recent.back(), "/m/1.kvd");
    PushRecentFile(recent, "/m/4.kvd");
    ASSERT_EQ(recent.size(), 9u);
    EXPECT_EQ(recent.front(), "/m/4.kvd");
    EXPECT_EQ(std::count(recent.begin(), recent.end(), "/m/4.kvd"), 1);
}

TEST(RecentFiles, Captions) {
    EXPECT_EQ(RecentFileCaption(1, "/models/osc.kvd", "/models"), "&1  osc.kvd");
    EXPECT_EQ(RecentFileCaption(3, "/other/osc.kvd", "/models"), "&3  /other/osc.kvd");
    EXPECT_EQ(RecentFileCaption(2, "/models/R&D.kvd", "/models"), "&2  R&&D.kvd");
}

TEST(PageNames, NextIsTheLargestWholeNumberPlusOne) {
    struct Case {
        std::vector<std::string> names;
        const char* next;
    };
    const Case cases[] = {{{"1", "2", "7"}, "8"},
                          {{"A", "B"}, "1"},
                          {{}, "1"},
                          {{"99999999999999999999", "3"}, "4"},  // too long to be a number
                          {{"12", "-4", "3.5"}, "13"}};
    for (const Case& c : cases) EXPECT_EQ(NextPageName(c.names), c.next);
}

TEST(Startup, ArgumentsDecideTheFirstModel) {
    EXPECT_TRUE(ParseStartup({"\\Custom"}).customMode);
    EXPECT_TRUE(ParseStartup({"--custom"}).customMode);
    // Another letter case is a model path, as written.
    const KStartup lower = ParseStartup({"\\custom"});
    EXPECT_FALSE(lower.customMode);
    EXPECT_EQ(lower.path, "\\custom");
    EXPECT_EQ(ParseStartup({"\"/my models/ü.kvd\""}).path, "/my models/ü.kvd");
    // Qt's own options are Qt's, values included.
    const KStartup qt = ParseStartup({"-platform", "offscreen", "m.kvd", "-reverse"});
    EXPECT_TRUE(qt.error.empty());
    EXPECT_EQ(qt.path, "m.kvd");
    // Help, version and refused arguments: the korvel program's own test.
}

TEST(Platform, WindowsPathsBecomeHostPaths) {
    EXPECT_EQ(HostPath("Glyphs\\IconLPF1", "/opt/korvel"), "/opt/korvel/Glyphs/IconLPF1");
    EXPECT_EQ(HostPath("C:\\Korvel\\Modules\\affine.kvc"), "/Korvel/Modules/affine.kvc");
    EXPECT_EQ(HostPath("\\Manual\\Manual.htm"), "/Manual/Manual.htm");
    EXPECT_EQ(HostPath("/home/u/m.kvd", "/base"), "/home/u/m.kvd");
    EXPECT_EQ(HostPath("..\\Models"), ExamplesFolder().toStdString());
}

TEST(Platform, LongTextsAreElidedInTheMiddle) {
    const QString path = "/home/user/" + QString(200, 'x') + "/model.kvd";
    const QString shown = ElideMiddle(path, 60);
    EXPECT_EQ(shown.size(), 60);
    EXPECT_TRUE(shown.startsWith("/home/user/"));
    EXPECT_TRUE(shown.endsWith("/model.kvd"));
    EXPECT_TRUE(shown.contains("..."));
    EXPECT_EQ(ElideMiddle("/short.kvd", 60), "/short.kvd");
}

// The QSettings store keeps the value names users know, blanks included,
// and forgets removed ones.
TEST(QtSettings, RoundTripThroughAFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath("Korvel.conf");
    {
        KQtSettings store(file);
        KAppSettings s;
        s.lastDir = "/models/my designs";
        s.recentFiles = {"/models/my designs/a.kvd"};
        s.Write(store, true);
        store.Remove("File0");
        store.Sync();
    }
    KQtSettings store(file);
    EXPECT_EQ(store.Get("Last Dir"), "/models/my designs");
    EXPECT_EQ(store.Get("ForCustomWindowWidth"), std::to_string(KWindowBounds{}.width));
    EXPECT_FALSE(store.Get("File0").has_value());
    EXPECT_FALSE(store.Get("NoSuchValue").has_value());
}

}  // namespace
}  // namespace korvel
