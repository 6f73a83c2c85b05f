#include "app/diagramwindow.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/appmessages.h"
#include "app/canvas/glyphs.h"
#include "app/canvas/diagramcanvas.h"
#include "app/dialogs/blocksetup.h"
#include "app/dialogs/initdouble.h"
#include "app/dialogs/initstring.h"
#include "app/dialogs/nodedialogs.h"
#include "app/dialogs/setcustmoddirs.h"
#include "app/modelsession.h"
#include "model/modeleditor.h"
#include "app/platform.h"
#include "app/refusals.h"
#include "model/block.h"
#include "model/custmod.h"
#include "model/blocktype.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Default dialogs; tests replace them through the window's seams.
QString AskFileNameWithDialog(QWidget* parent, const QString& dir, QString& filter,
                              const QStringList& filters, bool save) {
    QFileDialog dialog(parent, save ? "Save As" : "Open", dir);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Only the window's own "File Exits" box asks about replacing a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    filter = dialog.selectedNameFilter();
    return dialog.selectedFiles().front();
}

}  // namespace

TKDiagramF::TKDiagramF(KAppMessages& messages, SettingsStore& settings, KFileSystem& fileSystem,
                       QWidget* parent)
    : QMainWindow(parent),
      messages_(messages),
      store_(settings),
      fs_(fileSystem),
      session_(std::make_unique<KModelSession>(messages)) {
    setObjectName("TKDiagramF");
    setWindowTitle("Korvel");
    askFileName = [this](const QString& dir, QString& filter, const QStringList& filters,
                         bool save) {
        return AskFileNameWithDialog(this, dir, filter, filters, save);
    };
    askNumber = [this](const QString& caption, double value,
                       QPoint where) -> std::optional<double> {
        TKInitDoubleF dialog(this, true, where, caption.toStdString(), {}, value, messages_,
                             KNumberForm::Integer);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.Value();
    };
    askText = [this](const QString& caption, const QString& value) -> std::optional<QString> {
        TKInitStringF dialog(this, true, pointerPosition(), caption.toStdString(), {}, value);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.Value();
    };
    askCustModDirs = [this](const std::vector<std::string>& dirs)
        -> std::optional<std::vector<std::string>> {
        TKSetCustModDirsF dialog(this, dirs, messages_);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.Directories();
    };
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    pointerPosition = [] { return QCursor::pos(); };

    idleTimer_ = new QTimer(this);
    idleTimer_->setInterval(0);
    connect(idleTimer_, &QTimer::timeout, this, &TKDiagramF::OnIdle);
    displayTimer_ = new QTimer(this);
    displayTimer_->setInterval(250);
    connect(displayTimer_, &QTimer::timeout, this, &TKDiagramF::OnDisplayTick);
    session_->RunLoop().onRunningChanged = [this](bool running) { OnRunningChanged(running); };

    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildCentre();
    statusBar()->setObjectName("StatusBar");
    resize(1100, 760);
    ResetPageTabs();
    UpdateCaption();
}

TKDiagramF::~TKDiagramF() {
    idleTimer_->stop();
    displayTimer_->stop();
    session_->DiscardRunTime();
}

int TKDiagramF::CurrentPage() const {
    return std::clamp(pageTabs_->currentIndex(), 0, std::max(session_->PageCount() - 1, 0));
}
bool TKDiagramF::IsRunning() const {
    return session_->RunLoop().IsRunning();
}
bool TKDiagramF::IsCustomMode() const {
    return session_->IsCustomMode();
}
bool TKDiagramF::IsIdleTimerActive() const {
    return idleTimer_->isActive();
}
bool TKDiagramF::IsDisplayTimerActive() const {
    return displayTimer_->isActive();
}

QAction* TKDiagramF::MakeAction(const char* name, const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    // Added to the window too, so the shortcut works even for items that
    // are hidden or live in a closed menu.
    addAction(action);
    return action;
}

void TKDiagramF::BuildActions() {
    auto on = [this](QAction* action, auto slot) {
        connect(action, &QAction::triggered, this, slot);
    };

    on(MakeAction("MINewDesign", "New Design"), [this] { NewCommand(false); });
    on(MakeAction("MIOpenDesign", "Open Design"), [this] { OpenCommand(false); });
    on(MakeAction("MINewCustomModule", "New Custom Module"), [this] { NewCommand(true); });
    on(MakeAction("MIOpenCustomModule", "Open Custom Module"), [this] { OpenCommand(true); });
    on(MakeAction("MICustomModuleDirectory", "Custom Module Directory..."),
       [this] { EditCustModDirs(); });
    on(MakeAction("MISave", "Save", QKeySequence("Ctrl+S")), [this] { SaveCommand(); });
    on(MakeAction("MISaveAs", "Save as..."), [this] { SaveAsCommand(); });
    on(MakeAction("MIPrint", "Print..."), [this] { Print(0); });
    on(MakeAction("MIPrintWithPreview", "Print with preview..."), [this] { Print(1); });
    on(MakeAction("MIPrintPreview", "Print preview"), [this] { Print(2); });
    QAction* autoSave = MakeAction("MIAutoSaveBeforeCompile", "Auto save before compile?");
    autoSave->setCheckable(true);
    connect(autoSave, &QAction::toggled, this, [this](bool on) {
        settings_.autoSaveBeforeCompile = on;
        WriteSettings();
    });
    on(MakeAction("MICopyPageImage", "Copy Page Image to File"), [this] { CopyPageImage(); });
    on(MakeAction("MIExit", "Exit"), [this] { close(); });

    // Edit commands, shared by the Edit menu and the block pop-up.
    auto copy = [this] {
        session_->Editor().CopyAllSelected(CurrentPage());
        view_->NoteCopied(CurrentPage());
        UpdateBlockMenu();
    };
    auto cut = [this] { DeleteSelection(true); };
    auto paste = [this] {
        if (session_->Editor().ClipboardCount() == 0) return;
        if (RefuseWhileRunning(kRefuseInsert)) return;
        const QPoint offset = view_->NextPasteOffset(CurrentPage());
        Edit(kRefuseInsert,
             [&] { session_->Editor().PasteAll(CurrentPage(), offset.x(), offset.y()); });
    };
    auto selectAll = [this] {
        session_->Editor().SelectInRect(CurrentPage(), {-1000000, -1000000, 1000000, 1000000});
        view_->update();
    };
    auto flip = [this](bool horizontal) {
        Edit(kRefuseChange, [this, horizontal] {
            KElements& all = session_->Elements();
            for (KBlock* b : session_->Editor().SelectedBlocks()) {
                if (b->Page() != CurrentPage()) continue;
                horizontal ? b->FlipHorizontal() : b->FlipVertical();
            }
            for (const auto& e : all.All())
                if (auto* w = dynamic_cast<KWire*>(e.get());
                    w && w->Page() == CurrentPage() &&
                    ((w->StartBlockPtr() && w->StartBlockPtr()->selected) ||
                     (w->EndBlockPtr() && w->EndBlockPtr()->selected)))
                    w->Route();
        });
    };
    struct Item {
        const char* menuName;
        const char* popupName;
        QString text;
        QKeySequence key;
        std::function<void()> run;
    };
    const std::vector<Item> editItems = {
        {"MICopy", "PuMCopy", "Copy", QKeySequence("Ctrl+C"), copy},
        {"MICut", "PuMCut", "Cut", QKeySequence("Ctrl+X"), cut},
        {"MIPaste", "PuMPaste", "Paste", QKeySequence("Ctrl+V"), paste},
        {"MISelectAll", "PuMSelectAll", "Select All", {}, selectAll},
        {"MIFlipHorizontal", "PuMFlipHorizontal", "Flip Horizontal", {}, [flip] { flip(true); }},
        {"MIFlipVertical", "PuMFlipVertical", "Flip Vertical", {}, [flip] { flip(false); }},
    };
    for (const Item& item : editItems) {
        on(MakeAction(item.menuName, item.text, item.key), item.run);
        on(MakeAction(item.popupName, item.text), item.run);
    }
    on(MakeAction("MINewPage", "New Page", QKeySequence("Ctrl+N")), [this] { NewPage(); });
    on(MakeAction("MIDeletePage", "Delete Page", QKeySequence("Ctrl+D")), [this] { DeletePage(); });
    on(MakeAction("MIZeroAllStoredOutputs", "Zero All Stored Outputs"),
       [this] { ZeroAllStoredOutputs(); });
    // The zoom items are hidden in the View menu; a hidden action's shortcut
    // does not fire, so the keys belong to window actions of their own.
    on(MakeAction("MIZoomIn", "Zoom In"), [this] { SetZoom(zoom_ * 2); });
    on(MakeAction("MIZoomOut", "Zoom Out"), [this] { SetZoom(zoom_ * 0.5); });
    on(MakeAction("KeyZoomIn", "Zoom In", QKeySequence("Ctrl+I")), [this] { SetZoom(zoom_ * 2); });
    on(MakeAction("KeyZoomOut", "Zoom Out", QKeySequence("Ctrl+O")),
       [this] { SetZoom(zoom_ * 0.5); });
    on(MakeAction("MIUserStringFont", "User String Font"), [this] { UserStringFont(); });
    on(MakeAction("MIReferenceManual", "Reference Manual"), [this] { ShowManual({}); });
    on(MakeAction("MIAbout", "About"), [this] { ShowAbout(); });

    on(MakeAction("PuMInsertPage", "Insert Page"), [this] { NewPage(); });
    on(MakeAction("PuMDeletePage", "Delete Page"), [this] { DeletePage(); });
    on(MakeAction("PuMRenamePage", "Rename Page"), [this] { RenamePage(); });
    on(MakeAction("PuMMovePageUp", "Move Page Up"), [this] { MovePage(-1); });
    on(MakeAction("PuMMovePageDown", "Move Page Down"), [this] { MovePage(1); });
    on(MakeAction("PuMBringToFront", "Bring to Front"),
       [this] { Edit(kRefuseChange, [this] { session_->Editor().BringToFront(); }); });
    on(MakeAction("PuMSendToBack", "Send to Back"),
       [this] { Edit(kRefuseChange, [this] { session_->Editor().SendToBack(); }); });
    on(MakeAction("PuMProperties", "Properties"),
       [this] { BlockProperties(); });
    on(MakeAction("PuMReverseExtender", "Reverse Extender"), [this] {
        Edit(kRefuseChange,
             [this] { session_->Editor().ReverseAllSelectedExtenders(CurrentPage()); });
    });

    // Keys the window sees before its controls; a text field with focus
    // keeps its own editing keys (it claims them before shortcuts fire).
    on(MakeAction("KeyDelete", "Delete", QKeySequence(Qt::Key_Delete)),
       [this] { DeleteSelection(false); });
    on(MakeAction("KeyLeft", "Left", QKeySequence(Qt::Key_Left)), [this] { ArrowKey(-10, 0); });
    on(MakeAction("KeyRight", "Right", QKeySequence(Qt::Key_Right)), [this] { ArrowKey(10, 0); });
    on(MakeAction("KeyUp", "Up", QKeySequence(Qt::Key_Up)), [this] { ArrowKey(0, -10); });
    on(MakeAction("KeyDown", "Down", QKeySequence(Qt::Key_Down)), [this] { ArrowKey(0, 10); });
    on(MakeAction("KeyPageDown", "Next Page", QKeySequence(Qt::Key_PageDown)),
       [this] { PageKey(CurrentPage() + 1); });
    on(MakeAction("KeyPageUp", "Previous Page", QKeySequence(Qt::Key_PageUp)),
       [this] { PageKey(CurrentPage() - 1); });
    on(MakeAction("KeyEnd", "Last Page", QKeySequence(Qt::Key_End)),
       [this] { PageKey(session_->PageCount() - 1); });
    on(MakeAction("KeyHome", "First Page", QKeySequence(Qt::Key_Home)), [this] { PageKey(0); });
    on(MakeAction("KeyHelp", "Help", QKeySequence(Qt::Key_F1)), [this] { OnHelpKey(); });
    on(MakeAction("KeyWire", "Wire", QKeySequence("Ctrl+W")), [this] { WireToolChosen(); });
    on(MakeAction("KeyEscape", "Escape", QKeySequence(Qt::Key_Escape)), [this] { OnEscape(); });
}

void TKDiagramF::BuildMenus() {
    auto add = [this](QMenu* menu, const char* name) {
        QAction* action = findChild<QAction*>(name);
        menu->addAction(action);
        return action;
    };
    fileMenu_ = menuBar()->addMenu("&File");
    fileMenu_->setObjectName("MIFile");
    for (const char* name : {"MINewDesign", "MIOpenDesign", "MINewCustomModule",
                             "MIOpenCustomModule", "MICustomModuleDirectory", "MISave", "MISaveAs"})
        add(fileMenu_, name);
    fileMenu_->addSeparator();
    for (const char* name : {"MIPrint", "MIPrintWithPreview", "MIPrintPreview"})
        add(fileMenu_, name);
    fileMenu_->addSeparator();
    add(fileMenu_, "MIAutoSaveBeforeCompile");
    add(fileMenu_, "MICopyPageImage");
    add(fileMenu_, "MIExit");
    recentSeparator_ = fileMenu_->addSeparator();
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QString("MIRecent%1").arg(i));
        connect(action, &QAction::triggered, this, [this, i] { OpenRecent(i); });
        fileMenu_->addAction(action);
        recentActions_.push_back(action);
    }

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("MIEdit");
    for (const char* name : {"MICopy", "MICut", "MIPaste", "MISelectAll"}) add(edit, name);
    edit->addSeparator();
    for (const char* name : {"MINewPage", "MIDeletePage"}) add(edit, name);
    edit->addSeparator();
    for (const char* name : {"MIFlipHorizontal", "MIFlipVertical", "MIZeroAllStoredOutputs"})
        add(edit, name);

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("MIView");
    add(view, "MIZoomIn")->setVisible(false);
    add(view, "MIZoomOut")->setVisible(false);
    add(view, "MIUserStringFont");

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("MIHelp");
    add(help, "MIReferenceManual");
    add(help, "MIAbout");

    pageMenu_ = new QMenu(this);
    pageMenu_->setObjectName("PuMPage");
    for (const char* name :
         {"PuMInsertPage", "PuMDeletePage", "PuMRenamePage", "PuMMovePageUp", "PuMMovePageDown"})
        add(pageMenu_, name);
    blockMenu_ = new QMenu(this);
    blockMenu_->setObjectName("PuMBlock");
    for (const char* name :
         {"PuMCopy", "PuMCut", "PuMPaste", "PuMSelectAll", "PuMFlipHorizontal", "PuMFlipVertical",
          "PuMBringToFront", "PuMSendToBack", "PuMProperties", "PuMReverseExtender"})
        add(blockMenu_, name);
}

void TKDiagramF::BuildToolBar() {
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("ToolBar");
    bar->setMovable(false);
    auto button = [&](const char* name, const QString& text, const QString& hint) {
        auto* b = new QToolButton(bar);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        bar->addWidget(b);
        return b;
    };
    QToolButton* open = button("SBOpen", "Open", "Open Design");
    connect(open, &QToolButton::clicked, this, [this] { OpenCommand(false); });
    QToolButton* save = button("SBSave", "Save", "Save");
    connect(save, &QToolButton::clicked, this, [this] { SaveCommand(); });
    bar->addSeparator();
    QToolButton* compile = button("SBCompile", "Compile", "Compile");
    connect(compile, &QToolButton::clicked, this, [this] { Compile(true); });
    sbRun_ = button("SBRun", "Run", "Run");
    sbStop_ = button("SBStop", "Stop", "Stop");
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (QToolButton* b : {sbRun_, sbStop_}) {
        b->setCheckable(true);
        group->addButton(b);
    }
    sbStop_->setChecked(true);
    connect(sbRun_, &QToolButton::clicked, this, [this] { Run(); });
    connect(sbStop_, &QToolButton::clicked, this, [this] { Stop(); });
    bar->addSeparator();
    QToolButton* addPage = button("SBAddPage", "+Page", "Add new page");
    connect(addPage, &QToolButton::clicked, this, [this] { NewPage(); });
    QToolButton* deletePage = button("SBDeletePage", "-Page", "Delete active page");
    connect(deletePage, &QToolButton::clicked, this, [this] { DeletePage(); });
    bar->addSeparator();
    lTime_ = new QLabel("0", bar);
    lTime_->setObjectName("LTime");
    lTime_->setAccessibleName("Time");
    lTime_->setMinimumWidth(90);
    lTime_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar->addWidget(lTime_);
    auto* seconds = new QLabel(" Seconds", bar);
    seconds->setObjectName("LSeconds");
    bar->addWidget(seconds);
}

void TKDiagramF::BuildPalette() {
    const auto glyphWarning = [this](const std::string& file) {
        messages_.WarningBox("The glyph file " + file + " is not a readable image; the built-in glyph is drawn.");
    };
    palette_ = new QTabWidget(this);
    palette_->setObjectName("PCPalette");
    palette_->setAccessibleName("Palette");
    // Every sheet is shown, the workbook sheet ("COM") last, since the
    // workbook blocks work on real files here.
    for (int p = 0; p < kPaletteCount; ++p) {
        const auto page = static_cast<KPalette>(p);
        auto* sheet = new QWidget;
        sheet->setObjectName("TS" + Q(PaletteCaption(page)).remove(' ').remove('(').remove(')'));
        auto* row = new QHBoxLayout(sheet);
        row->setContentsMargins(2, 2, 2, 2);
        row->setSpacing(2);
        auto* group = new QButtonGroup(sheet);
        group->setObjectName("Tools");
        auto button = [&](const QString& name, const QString& text, const QString& hint, int id) {
            auto* b = new QToolButton(sheet);
            b->setObjectName(name);
            b->setText(text);
            b->setToolTip(hint);
            b->setAccessibleName(hint);
            b->setCheckable(true);
            group->addButton(b, id);
            row->addWidget(b);
            return b;
        };
        button("SBSelect", "Select", "Select", kSelectTool)->setChecked(true);
        QToolButton* wire = button("SBWire", "Wire", "Wire", kWireTool);
        connect(wire, &QToolButton::clicked, this, [this] { WireToolChosen(); });
        for (const KBlockType& type : BlockTypes()) {
            if (type.palette != page) continue;
            QString text = Q(type.bodyText1);
            if (text.isEmpty()) text = Q(type.defaultName);
            if (text.isEmpty()) text = Q(type.tag);
            QToolButton* b = button("SB" + Q(type.tag), text.left(10), Q(type.displayName), type.number);
            // The block's glyph, as the canvas draws it, where it has one.
            if (const QImage* glyph = KGlyphs::Shared(glyphWarning).Image(type.glyph, false, 1.0)) {
                b->setIcon(QIcon(QPixmap::fromImage(*glyph)));
                b->setIconSize(glyph->size().boundedTo(QSize(48, 28)));
                b->setToolButtonStyle(Qt::ToolButtonIconOnly);
            }
        }
        row->addStretch(1);
        palette_->addTab(sheet, Q(PaletteCaption(page)));
    }
    palette_->setMaximumHeight(palette_->sizeHint().height());
}

void TKDiagramF::BuildCentre() {
    auto* centre = new QWidget(this);
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildPalette();
    layout->addWidget(palette_);
    pageTabs_ = new QTabBar(centre);
    pageTabs_->setObjectName("TCPages");
    pageTabs_->setAccessibleName("Pages");
    pageTabs_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pageTabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && view_) view_->SetPage(index);
    });
    connect(pageTabs_, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        UpdatePageMenu();
        pageMenu_->popup(pageTabs_->mapToGlobal(at));
    });
    layout->addWidget(pageTabs_);
    KDiagramCanvas::Hooks hooks;
    hooks.edit = [this](const KRefusal& refusal, const std::function<void()>& change) {
        return Edit(refusal, change);
    };
    hooks.tool = [this] { return PaletteTool(); };
    hooks.chooseSelectTool = [this] { ChooseSelectTool(); };
    hooks.isRunning = [this] { return IsRunning(); };
    hooks.isCompiled = [this] { return session_->IsCompiled(); };
    hooks.selectionChanged = [this] { UpdateBlockMenu(); };
    hooks.showHint = [this](const QString& hint) { statusBar()->showMessage(hint); };
    hooks.wheelZoom = [this](int steps, QPoint at) {
        // The page point under the mouse stays under it.
        const QPoint inViewport = view_->mapTo(scroll_->viewport(), at);
        const double x = at.x() / zoom_;
        const double y = at.y() / zoom_;
        SetZoom(steps > 0 ? zoom_ * 2 : zoom_ * 0.5);
        scroll_->horizontalScrollBar()->setValue(int(x * zoom_) - inViewport.x());
        scroll_->verticalScrollBar()->setValue(int(y * zoom_) - inViewport.y());
    };
    hooks.renameBlock = [this](KBlock& block) { EditUserString(*this, block, QCursor::pos()); };
    hooks.blockSetup = [this](KBlock&) { findChild<QAction*>("PuMProperties")->trigger(); };
    hooks.labelFontSize = [this] { return session_->Header().fontSize; };
    // The dialog decides for itself whether the node may change now.
    hooks.nodeDialog = [this](KBlock& block, int node, bool) {
        if (EditNode(*this, block, node, QCursor::pos())) view_->ClearGestures();
    };
    hooks.askModuleFile = [this] {
        QString filter = "Korvel custom module (*.kvc)";
        return askFileName(Q(HostPath(settings_.lastCustomModuleDir)), filter, {filter}, false).toStdString();
    };
    hooks.moduleFolders = [this] { return session_->ModuleSearchFolders(); };
    hooks.modelFile = [this] { return session_->FileName(); };
    hooks.openModule = [this](KBlock& block) {
        // The module file opens in the editor as Open would open it.
        const std::string path = static_cast<KCustMod&>(block).ResolvedPath().empty()
                                     ? static_cast<KCustMod&>(block).FileName()
                                     : static_cast<KCustMod&>(block).ResolvedPath();
        if (RefuseWhileRunning(kRefuseOpen) || !AskSaveChanges()) return;
        OpenPath(path);
    };
    view_ = new KDiagramCanvas(&session_->Elements(), std::move(hooks));
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        UpdateBlockMenu();
        blockMenu_->popup(view_->mapToGlobal(at));
    });
    scroll_ = new QScrollArea(centre);
    scroll_->setObjectName("SBDiagram");
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(true);
    scroll_->setBackgroundRole(QPalette::Dark);
    layout->addWidget(scroll_, 1);
    setCentralWidget(centre);
}

void TKDiagramF::UpdateBlockMenu() {
    const KElements& elements = session_->Elements();
    bool anySelected = false;
    bool extender = false;
    for (const auto& e : elements.All()) {
        if (!e->selected || e->Page() != CurrentPage()) continue;
        anySelected = true;
        if (e->IsBlock() && static_cast<const KBlock&>(*e).IsExtender()) extender = true;
    }
    for (const char* name : {"PuMCopy", "PuMCut", "PuMFlipHorizontal", "PuMFlipVertical",
                             "PuMBringToFront", "PuMSendToBack", "PuMProperties"})
        findChild<QAction*>(name)->setEnabled(anySelected);
    findChild<QAction*>("PuMPaste")->setEnabled(session_->Editor().ClipboardCount() > 0);
    findChild<QAction*>("PuMReverseExtender")->setEnabled(extender);
}

void TKDiagramF::UpdatePageMenu() {
    findChild<QAction*>("PuMMovePageUp")->setEnabled(CurrentPage() > 0);
    findChild<QAction*>("PuMMovePageDown")->setEnabled(CurrentPage() < session_->PageCount() - 1);
}

int TKDiagramF::PaletteTool() const {
    QWidget* sheet = palette_->currentWidget();
    auto* group = sheet ? sheet->findChild<QButtonGroup*>("Tools") : nullptr;
    // -1 is what the group answers when no button is down.
    return group && group->checkedId() != -1 ? group->checkedId() : kSelectTool;
}

void TKDiagramF::ChooseSelectTool() {
    if (auto* sheet = palette_->currentWidget())
        if (auto* select = sheet->findChild<QToolButton*>("SBSelect")) select->setChecked(true);
}

void TKDiagramF::WireToolChosen() {
    if (IsRunning()) {
        messages_.ErrorBox("Cannot wire when model is running.");
        ChooseSelectTool();
        return;
    }
    if (auto* sheet = palette_->currentWidget())
        if (auto* wire = sheet->findChild<QToolButton*>("SBWire")) wire->setChecked(true);
}

void TKDiagramF::OnEscape() {
    // The first that applies: the canvas's rubber band or wire, a run, the selection.
    if (view_->Escape()) {
    } else if (IsRunning()) {
        Stop();
    } else {
        session_->Editor().ClearSelection();
        view_->update();
    }
    ChooseSelectTool();
}

void TKDiagramF::OnHelpKey() {
    const KElement* element = view_->ElementAt(view_->mapFromGlobal(pointerPosition()));
    if (element == nullptr || !element->IsBlock()) {
        messages_.NoteBox(
            "Place the mouse over any component on the screen and then click F1 for help.");
        return;
    }
    ShowManual(Q(static_cast<const KBlock*>(element)->GetTypeTag()));
}

void TKDiagramF::ShowManual(const QString& topic) {
    if (!openUrl(ManualUrl(topic)))
        messages_.ErrorBox("Cannot start the web browser on the manual " +
                           ManualPath().toStdString() + ".");
}

void TKDiagramF::ShowAbout() {
    QMessageBox::about(
        this, "About Korvel",
        QString("Korvel %1\nBuilt %2\nQt %3")
            .arg(QCoreApplication::applicationVersion(), QString(__DATE__), QString(qVersion())));
}

}  // namespace korvel
