// TKDiagramF: the main window. Menus, the tool bar with the run controls,
// the palette of block buttons on tabbed sheets, the page tabs, the diagram
// and the status bar; the commands behind them; the run loop on Qt; and the
// settings kept between sessions.
//
// Every command that changes the element collection goes through Edit, the
// one edit seam: it refuses while a model runs (with the numbered warning
// the command names), marks the model modified and drops the compiled
// run-time model, so no run-time object outlives the element it reads.
// Live adjustments a run allows go through LiveAdjusted, which marks the
// model modified and keeps the run going.
//
// Dialogs the commands open are reached through the std::function members
// below, which tests replace with scripted answers.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/appsettings.h"
#include "app/compilelist.h"
#include "engine/compilemessage.h"

class QAction;
class QButtonGroup;
class QLabel;
class QMenu;
class QScrollArea;
class QTabBar;
class QTabWidget;
class QTimer;
class QToolButton;
class QUrl;

namespace korvel {

class KAppMessages;
class KDiagramCanvas;
class KFileSystem;
class KModelSession;
class SettingsStore;

// How a refused edit is announced: its warning number and texts.
struct KRefusal {
    int number;
    std::string_view description;
    std::string_view adviceThen;  // completes "...or escape key.  Then "
};

class TKDiagramF final : public QMainWindow {
    Q_OBJECT
public:
    TKDiagramF(KAppMessages& messages, SettingsStore& settings, KFileSystem& fileSystem,
               QWidget* parent = nullptr);
    ~TKDiagramF() override;

    // Start-up: reads the settings for the mode, then decides the first
    // model from the command line's path ("" for none).
    void Start(bool customMode, const std::string& path);

    // --- Dialog seams (tests replace them) ---------------------------------
    // A file name from an open (save = false) or save dialog; "" when
    // cancelled. `filter` may be changed to the filter the user chose.
    std::function<QString(const QString& dir, QString& filter, const QStringList& filters,
                          bool save)>
        askFileName;
    std::function<std::optional<double>(const QString& caption, double value, QPoint where)>
        askNumber;
    std::function<std::optional<QString>(const QString& caption, const QString& value)> askText;
    // The custom module directories after the user's edit; nothing when
    // cancelled.
    std::function<std::optional<std::vector<std::string>>(const std::vector<std::string>&)>
        askCustModDirs;
    std::function<bool(const QUrl& url)> openUrl;
    std::function<QPoint()> pointerPosition;  // global screen position of the mouse
    std::function<void(const std::vector<KCompileMessage>&)> showCompileList;

    // --- State, for the commands and tests ---------------------------------
    KModelSession& Session() { return *session_; }
    KAppMessages& AppMessages() { return messages_; }
    const KAppSettings& Settings() const { return settings_; }
    int CurrentPage() const;
    double Zoom() const { return zoom_; }
    bool IsRunning() const;
    bool IsCustomMode() const;
    // Steps made by the last idle call, and the most one call may make
    // (0: only the ~20 ms wall-time budget limits it).
    long long StepsInLastCall() const { return stepsInLastCall_; }
    void SetStepBudget(long long steps) { stepBudget_ = steps; }
    bool IsIdleTimerActive() const;
    bool IsDisplayTimerActive() const;
    // The tool chosen on the palette sheet that is showing: kSelectTool,
    // kWireTool, or the type number of the block to insert.
    static constexpr int kSelectTool = -10;
    static constexpr int kWireTool = -11;
    int PaletteTool() const;
    QMenu* BlockMenu() const { return blockMenu_; }
    QMenu* PageMenu() const { return pageMenu_; }
    // Shows the page of the block with that IDNumber and makes it the whole
    // selection (nothing for a block that is gone or inside a module
    // instance). Selecting is not an edit: allowed while running.
    void ShowBlock(int idNumber);
    // How the compile list names and reaches blocks in this window.
    KCompileListPlaces CompileListPlaces();
    // Enables the block pop-up's items by the selection and clipboard.
    void UpdateBlockMenu();
    void UpdatePageMenu();
    // Properties in the block pop-up: the set-up of the selected block.
    void BlockProperties();

    // The edit seam: refused while running with `refusal`, else applies
    // `change`, marks modified, drops the run-time model, redraws.
    bool Edit(const KRefusal& refusal, const std::function<void()>& change);
    // A live adjustment: marks modified, keeps the compiled model.
    void LiveAdjusted();

    // Commands (also reached through the actions).
    bool Compile(bool announce);
    void Run();
    void Stop();
    void OpenRecent(int index);
    bool OpenPath(const std::string& path);
    // After a Fatal Error: a copy of the model in the user's data folder;
    // answers the sentence naming it ("" when even that failed).
    std::string WriteRecoveryCopy();
    // Ends the program without questions after a Fatal Error.
    void FatalQuit();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Construction (diagramwindow.cpp).
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildPalette();
    void BuildCentre();
    QAction* MakeAction(const char* name, const QString& text, const QKeySequence& key = {});
    void ChooseSelectTool();
    void WireToolChosen();
    void OnEscape();
    void OnHelpKey();
    void ShowAbout();
    void ShowManual(const QString& topic);

    // Files and settings (diagramfiles.cpp).
    bool AskSaveChanges();
    bool SaveCommand();
    bool SaveAsCommand();
    void NewCommand(bool customMode);
    void OpenCommand(bool customMode);
    void NewModel(bool customMode);
    void EnterRecent(const std::string& path);
    void RebuildRecentMenu();
    void UpdateCaption();
    void ReadSettings(bool customMode);
    void WriteSettings();
    void EditCustModDirs();

    // Editing, pages, view, output (diagramedit.cpp).
    void ResetPageTabs();
    void SetCurrentPage(int page);
    void NewPage();
    void DeletePage();
    void RenamePage();
    void MovePage(int delta);
    void PageKey(int target);
    void SetZoom(double zoom);
    void UserStringFont();
    void ZeroAllStoredOutputs();
    void CopyPageImage();
    void Print(int how);
    void DeleteSelection(bool cut);
    void ArrowKey(int dx, int dy);
    void ModelChanged();

    // Run control (diagramrun.cpp).
    void OnIdle();
    void RunSliced();
    void OnDisplayTick();
    void OnRunningChanged(bool running);
    void ListCompileMessages(const std::vector<KCompileMessage>& list);
    bool RefuseWhileRunning(const KRefusal& refusal);

    KAppMessages& messages_;
    SettingsStore& store_;
    KFileSystem& fs_;
    KAppSettings settings_;
    std::unique_ptr<KModelSession> session_;

    KDiagramCanvas* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QTabBar* pageTabs_ = nullptr;
    QTabWidget* palette_ = nullptr;
    QToolButton* sbRun_ = nullptr;
    QToolButton* sbStop_ = nullptr;
    QLabel* lTime_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentActions_;
    QMenu* blockMenu_ = nullptr;
    QMenu* pageMenu_ = nullptr;
    QTimer* idleTimer_ = nullptr;
    QTimer* displayTimer_ = nullptr;

    double zoom_ = 1.0;
    bool closing_ = false;
    int passDepth_ = 0;
    bool passPending_ = false;  // a pass stopped by the time budget, to resume
    double passTarget_ = 0.0;
    long long stepBudget_ = 0;
    long long stepsInLastCall_ = 0;
    std::size_t listedShown_ = 0;  // compile messages already shown
};

}  // namespace korvel
