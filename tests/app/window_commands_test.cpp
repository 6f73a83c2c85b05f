// The main window's commands: the run-state rules, start-up, pages, zoom,
// help and the block pop-up's enabling.
#include <QGuiApplication>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/canvas/diagramcanvas.h"
#include "app/refusals.h"
#include "windowtesting.h"

namespace korvel::testing {
namespace {

using WindowCommands = WindowFixture;

// Every command that changes the model, pressed while running: refused
// with its warning, the run goes on, and the model is exactly as it was.
TEST_F(WindowCommands, EditsAreRefusedWhileRunning) {
    StartRunning();
    Trigger("MISelectAll");
    Trigger("MICopy");
    const struct {
        int number;
        const KRefusal& refusal;
        std::vector<const char*> actions;
    } cases[] = {
        {1, kRefuseNew, {"MINewDesign", "MINewCustomModule"}},
        {2, kRefuseOpen, {"MIOpenDesign", "MIOpenCustomModule"}},
        {2, kRefuseOpenRecent, {"MIRecent0"}},
        {3, kRefuseDelete, {"MICut", "KeyDelete", "MIDeletePage"}},
        {4, kRefuseInsert, {"MIPaste"}},
        {4,
         kRefuseChange,
         {"MIFlipHorizontal", "MIFlipVertical", "PuMBringToFront", "PuMSendToBack", "KeyLeft"}},
        {4, kRefusePages, {"MINewPage"}},
    };
    const std::string before = window->Session().Text();
    const std::string stop = "Stop model using Stop button (upper left) or escape key.  Then ";
    for (const auto& c : cases) {
        for (const char* action : c.actions) {
            SCOPED_TRACE(action);
            messages.recorder.Clear();
            Trigger(action);
            ASSERT_EQ(messages.recorder.messages.size(), 1u);
            const KTwoLineMessage& m = messages.recorder.messages.front();
            EXPECT_EQ(m.caption, "Warning");
            EXPECT_EQ(m.number, c.number);
            EXPECT_EQ(m.description, c.refusal.description);
            EXPECT_EQ(m.advice.rfind(stop, 0), 0u);
            EXPECT_TRUE(window->IsRunning());
            EXPECT_TRUE(window->Session().IsCompiled());
            EXPECT_EQ(window->Session().Text(), before);
        }
    }

    messages.recorder.Clear();
    Trigger("KeyWire");
    EXPECT_EQ(messages.recorder.Last().caption, "Error");
    EXPECT_EQ(messages.recorder.Last().text, "Cannot wire when model is running.");

    // Still allowed: they do not touch what the run reads.
    for (const char* allowed : {"MICopy", "MISelectAll", "MIZoomIn", "MIZeroAllStoredOutputs"}) {
        messages.recorder.Clear();
        Trigger(allowed);
        EXPECT_TRUE(messages.recorder.messages.empty()) << allowed;
        EXPECT_TRUE(window->IsRunning()) << allowed;
    }
    Trigger("KeyEscape");
    EXPECT_FALSE(window->IsRunning());
}

// Custom mode starts with its three template blocks; a missing file is
// named and a new design starts; a module file opens in custom mode.
TEST_F(WindowCommands, StartInCustomModeWithAMissingFileOrAModule) {
    window->Start(true, "");
    EXPECT_EQ(window->windowTitle(), "Korvel Custom Module");
    const std::pair<const char*, int> blocks[] = {
        {"KCustInput", 10}, {"KInt", 100}, {"KCustOutput", 200}};
    ASSERT_EQ(Elements().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const auto& b = static_cast<const KBlock&>(Elements().At(i));
        EXPECT_EQ(b.GetTypeTag(), blocks[i].first);
        EXPECT_EQ(QPoint(b.X(), b.Y()), QPoint(blocks[i].second, 10));
    }
    const std::string missing = Path("no such model.kvd");
    window->Start(false, missing);
    EXPECT_EQ(messages.recorder.Last().caption, "Note");
    EXPECT_EQ(messages.recorder.Last().text, "Cannot open " + missing);
    EXPECT_EQ(window->windowTitle(), "Korvel");
    EXPECT_EQ(Elements().Count(), 0);
    const std::string module = CopyExample("pi_module.kvc");
    window->Start(false, module);
    EXPECT_TRUE(window->IsCustomMode());
    EXPECT_EQ(window->windowTitle().toStdString(), "Korvel:  " + module);
}

// The last page is kept (Ctrl+D refuses); new pages are numbered, the page
// keys stop at the ends, and a 100th page is refused.
TEST_F(WindowCommands, PagesAreNamedWalkedAndLimited) {
    QTest::keyClick(window.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(messages.recorder.Last().caption, "Error");
    EXPECT_EQ(messages.recorder.Last().text, "The last page cannot be deleted.");
    EXPECT_EQ(window->Session().PageCount(), 1);
    Trigger("MINewPage");
    Trigger("MINewPage");
    EXPECT_EQ(window->Session().Header().pageNames, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(window->CurrentPage(), 2);
    for (auto [key, page] : {std::pair{"KeyHome", 0},
                             {"KeyPageUp", 0},
                             {"KeyPageDown", 1},
                             {"KeyEnd", 2},
                             {"KeyPageDown", 2}}) {
        Trigger(key);
        EXPECT_EQ(window->CurrentPage(), page) << key;
    }
    window->Session().Header().pageNames = {"A", "B"};
    Trigger("MINewPage");
    EXPECT_EQ(window->Session().Header().pageNames.back(), "1");
    window->Session().Header().pageNames.assign(99, "x");
    messages.recorder.Clear();
    Trigger("MINewPage");
    ASSERT_EQ(messages.recorder.messages.size(), 1u);
    EXPECT_EQ(messages.recorder.messages[0].number, 1000);
    EXPECT_EQ(messages.recorder.messages[0].description, "Too many sheets to add another.");
    EXPECT_EQ(window->Session().PageCount(), 99);
}

TEST_F(WindowCommands, DeletingPageTwoOfFourMovesTheLaterPagesBack) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    for (int i = 0; i < 3; ++i) Trigger("MINewPage");
    // One block on each of pages 2, 3 and 4 (indexes 1..3).
    for (int page = 1; page <= 3; ++page) Place("KVariable", page, 100, 100 * page);
    auto onPage = [&](int page) {
        std::vector<int> ys;
        for (const auto& e : Elements().All())
            if (e->IsBlock() && e->Page() == page) ys.push_back(static_cast<const KBlock&>(*e).Y());
        return ys;
    };
    window->findChild<QTabBar*>("TCPages")->setCurrentIndex(1);
    messages.recorder.answers = {KAnswer::Ok};
    Trigger("MIDeletePage");
    EXPECT_EQ(messages.recorder.Last().text,
              "Do you want to delete this page and all its contents?");
    EXPECT_EQ(window->Session().Header().pageNames,
              (std::vector<std::string>{"Oscillator", "2", "3"}));
    EXPECT_EQ(onPage(1), std::vector<int>{200});
    EXPECT_EQ(onPage(2), std::vector<int>{300});
    EXPECT_EQ(window->CurrentPage(), 1);
}

TEST_F(WindowCommands, MovePageExchangesNamesAndElements) {
    Trigger("MINewPage");  // pages "1", "2"; page 2 current
    Place("KVariable", 1);
    window->UpdatePageMenu();
    EXPECT_FALSE(Action("PuMMovePageDown")->isEnabled());
    EXPECT_TRUE(Action("PuMMovePageUp")->isEnabled());
    Trigger("PuMMovePageUp");
    EXPECT_EQ(window->Session().Header().pageNames, (std::vector<std::string>{"2", "1"}));
    EXPECT_EQ(Elements().At(0).Page(), 0);
    EXPECT_EQ(window->CurrentPage(), 0);
    window->UpdatePageMenu();
    EXPECT_FALSE(Action("PuMMovePageUp")->isEnabled());
}

TEST_F(WindowCommands, ZoomDoublesToFourAndHalvesToAnEighth) {
    for (double z : {2.0, 4.0, 4.0}) {
        QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
        EXPECT_EQ(window->Zoom(), z);
    }
    Trigger("MIZoomOut");
    Trigger("MIZoomOut");
    for (double z : {0.5, 0.25, 0.125, 0.125}) {
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(window->Zoom(), z);
    }
    EXPECT_FALSE(Action("MIZoomIn")->isVisible());
}

TEST_F(WindowCommands, F1OpensTheManualAtTheBlockUnderThePointer) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    window->resize(1000, 700);  // KORVEL_SCREENSHOT_DIR keeps a picture of the window
    if (const char* folder = std::getenv("KORVEL_SCREENSHOT_DIR"))
        window->grab().save(QString(folder) + "/main-window.png");
    auto* view = window->findChild<KDiagramCanvas*>("PBDiagram");
    const auto& solver = static_cast<const KBlock&>(Elements().At(0));
    window->pointerPosition = [&] {
        return view->mapToGlobal(QPoint(solver.X() + 5, solver.Y() + 5));
    };
    Trigger("KeyHelp");
    ASSERT_EQ(openedUrls.size(), 1u);
    EXPECT_EQ(openedUrls[0].fragment().toStdString(), std::string(solver.GetTypeTag()));
    EXPECT_TRUE(openedUrls[0].isLocalFile());
    window->pointerPosition = [&] { return view->mapToGlobal(QPoint(5000, 5000)); };
    Trigger("KeyHelp");
    EXPECT_EQ(messages.recorder.Last().text,
              "Place the mouse over any component on the screen and then click F1 for help.");
    // A browser that cannot start is named.
    window->openUrl = [](const QUrl&) { return false; };
    Trigger("MIReferenceManual");
    EXPECT_EQ(messages.recorder.Last().caption, "Error");
    EXPECT_NE(messages.recorder.Last().text.find("Manual/Manual.htm"), std::string::npos);
}

// The block pop-up follows the selection and the clipboard; an edit while
// stopped drops the compiled model.
TEST_F(WindowCommands, BlockMenuFollowsSelectionAndAnEditDropsTheCompiledModel) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    ASSERT_TRUE(window->Compile(false));
    window->UpdateBlockMenu();
    EXPECT_FALSE(Action("PuMCopy")->isEnabled());
    EXPECT_FALSE(Action("PuMPaste")->isEnabled());
    EXPECT_FALSE(Action("PuMReverseExtender")->isEnabled());
    Trigger("MISelectAll");
    Trigger("MICopy");
    window->UpdateBlockMenu();
    EXPECT_TRUE(Action("PuMCopy")->isEnabled());
    EXPECT_TRUE(Action("PuMPaste")->isEnabled());
    EXPECT_FALSE(Action("PuMReverseExtender")->isEnabled());  // no extender selected
    EXPECT_TRUE(window->Session().IsCompiled());
    Trigger("MIFlipHorizontal");
    EXPECT_TRUE(window->Session().IsModified());
    EXPECT_FALSE(window->Session().IsCompiled());
    EXPECT_FALSE(window->IsDisplayTimerActive());
}

// The tool is read from the sheet that is showing; Escape and Run choose
// Select again, and the Wire tool is refused while running.
TEST_F(WindowCommands, ThePaletteToolFollowsTheShowingSheet) {
    EXPECT_EQ(window->PaletteTool(), TKDiagramF::kSelectTool);
    Trigger("KeyWire");
    EXPECT_EQ(window->PaletteTool(), TKDiagramF::kWireTool);
    Trigger("KeyEscape");
    EXPECT_EQ(window->PaletteTool(), TKDiagramF::kSelectTool);
    auto* button = window->findChild<QToolButton*>("SBKInt");
    window->findChild<QTabWidget*>("PCPalette")->setCurrentWidget(button->parentWidget());
    button->click();
    EXPECT_EQ(window->PaletteTool(), *FindBlockTypeByTag("KInt"));
}

TEST_F(WindowCommands, AWindowPlaceOnNoScreenMovesOntoThePrimaryScreen) {
    settings.Set("WindowStateNormal", "1");
    settings.Set("WindowLeft", "-40000");
    settings.Set("WindowTop", "30000");
    settings.Set("WindowWidth", "700");
    settings.Set("WindowHeight", "500");
    window->Start(false, "");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->geometry().topLeft()));
}

}  // namespace
}  // namespace korvel::testing
