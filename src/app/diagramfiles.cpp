// TKDiagramF: files, recent files, settings, start-up and closing.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTabBar>
#include <QTimer>

#include "app/appmessages.h"
#include "app/canvas/diagramcanvas.h"
#include "app/diagramwindow.h"
#include "app/modelsession.h"
#include "app/platform.h"
#include "app/refusals.h"
#include "base/messagerecorder.h"
#include "base/safefile.h"
#include "base/texthelpers.h"
#include "model/elements.h"

namespace korvel {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

const QString kDesignFilter = "Korvel design (*.kvd)";
const QString kModuleFilter = "Korvel custom module (*.kvc)";

// The custom-module window icon: a framed "M", drawn so no file is needed.
QIcon CustomModuleIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(40, 90, 160));
    QPainter painter(&pixmap);
    painter.setPen(Qt::white);
    painter.drawRect(2, 2, 27, 27);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, "M");
    return QIcon(pixmap);
}

}  // namespace

void TKDiagramF::UpdateCaption() {
    QString caption = session_->IsCustomMode() ? "Korvel Custom Module" : "Korvel";
    if (!session_->FileName().empty())
        caption = "Korvel:  " + ElideMiddle(Q(session_->FileName()), 120);
    setWindowTitle(caption);
    setWindowIcon(session_->IsCustomMode() ? CustomModuleIcon() : QIcon());
}

// --- The save-changes prompt and saving ----------------------------------------

bool TKDiagramF::AskSaveChanges() {
    if (!session_->IsModified()) return true;
    const std::string text = session_->FileName().empty()
                                 ? "Save changes to unsaved file?"
                                 : "Save changes to" + session_->FileName() + "?";
    switch (messages_.AskYesNoCancel("Save File", text)) {
        case KChoice::Yes:
            return SaveCommand();  // a failed or cancelled save abandons the command
        case KChoice::No:
            return true;
        case KChoice::Cancel:
            return false;
    }
    return false;
}

bool TKDiagramF::SaveCommand() {
    view_->CancelPendingWire();  // an open wire cannot be saved
    if (session_->FileName().empty()) return SaveAsCommand();
    if (!session_->Save(session_->FileName(), true, fs_)) return false;
    EnterRecent(session_->FileName());
    UpdateCaption();
    return true;
}

bool TKDiagramF::SaveAsCommand() {
    view_->CancelPendingWire();
    const bool custom = session_->IsCustomMode();
    std::string& lastDir = custom ? settings_.lastCustomModuleDir : settings_.lastDir;
    QString filter = custom ? kModuleFilter : kDesignFilter;
    QString chosen = askFileName(Q(HostPath(lastDir)), filter, {filter}, true);
    if (chosen.isEmpty()) return false;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += custom ? ".kvc" : ".kvd";
    const std::string path = QFileInfo(chosen).absoluteFilePath().toStdString();
    if (fs_.Exists(path) && !messages_.AskYesNo("File Exits", path + " already exists. Overwrite?"))
        return false;
    if (!session_->Save(path, false, fs_)) return false;
    lastDir = FileFolder(path);
    EnterRecent(path);
    UpdateCaption();
    return true;
}

// --- New and Open ----------------------------------------------------------------

void TKDiagramF::NewModel(bool customMode) {
    view_->CancelPendingWire();
    try {
        session_->New(customMode, settings_.userStringFontSize);
    } catch (const std::bad_alloc&) {
        messages_.ErrorMessage(2003, "Memory allocation fault in TKDiagramF :: Compile.",
                               "This is an internal fault." + std::string(kSupportSentence));
    }
    view_->SetElements(&session_->Elements());
    ResetPageTabs();
    UpdateCaption();
    displayTimer_->stop();
    ModelChanged();
}

void TKDiagramF::NewCommand(bool customMode) {
    if (RefuseWhileRunning(kRefuseNew)) return;
    ChooseSelectTool();
    if (!AskSaveChanges()) return;
    NewModel(customMode);
}

void TKDiagramF::OpenCommand(bool customMode) {
    if (RefuseWhileRunning(kRefuseOpen)) return;
    if (!AskSaveChanges()) return;
    const std::string& lastDir = customMode ? settings_.lastCustomModuleDir : settings_.lastDir;
    QString filter = customMode ? kModuleFilter : kDesignFilter;
    const QString chosen = askFileName(Q(HostPath(lastDir)), filter, {filter}, false);
    if (chosen.isEmpty()) return;
    OpenPath(chosen.toStdString());
}

bool TKDiagramF::OpenPath(const std::string& given) {
    // Absolute, so the recent files and last directories stay right
    // whatever folder the program is started from next.
    const std::string path = QFileInfo(Q(given)).absoluteFilePath().toStdString();
    view_->CancelPendingWire();
    if (!session_->Open(path)) return false;
    displayTimer_->stop();
    // The model's font size is the user string font size from now on.
    if (session_->Header().hasFontSize) settings_.userStringFontSize = session_->Header().fontSize;
    (session_->IsCustomMode() ? settings_.lastCustomModuleDir : settings_.lastDir) =
        FileFolder(path);
    EnterRecent(path);
    view_->SetElements(&session_->Elements());
    ResetPageTabs();
    UpdateCaption();
    ModelChanged();
    return true;
}

void TKDiagramF::OpenRecent(int index) {
    if (index < 0 || index >= static_cast<int>(settings_.recentFiles.size())) return;
    if (RefuseWhileRunning(kRefuseOpenRecent)) return;
    if (!AskSaveChanges()) return;
    // A file that has gone gives its error and stays listed.
    // A copy: opening moves the entry within the list.
    const std::string path = settings_.recentFiles[static_cast<std::size_t>(index)];
    OpenPath(path);
}

void TKDiagramF::EnterRecent(const std::string& path) {
    PushRecentFile(settings_.recentFiles, path);
    RebuildRecentMenu();
    WriteSettings();
}

void TKDiagramF::RebuildRecentMenu() {
    const std::string& lastDir =
        session_->IsCustomMode() ? settings_.lastCustomModuleDir : settings_.lastDir;
    const int count = static_cast<int>(settings_.recentFiles.size());
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        QAction* action = recentActions_[static_cast<std::size_t>(i)];
        action->setVisible(i < count);
        if (i >= count) continue;
        const std::string& path = settings_.recentFiles[static_cast<std::size_t>(i)];
        action->setText(ElideMiddle(Q(RecentFileCaption(i + 1, path, lastDir)), 100));
        action->setToolTip(Q(path));
    }
    recentSeparator_->setVisible(count > 0);
}

// --- Settings -----------------------------------------------------------------------

void TKDiagramF::ReadSettings(bool customMode) {
    settings_ = KAppSettings::Read(store_, customMode);
    session_->SetModuleFolders(settings_.custModDirs);
    findChild<QAction*>("MIAutoSaveBeforeCompile")->setChecked(settings_.autoSaveBeforeCompile);
    const KWindowBounds& b = settings_.bounds;
    QRect bounds(b.left, b.top, b.width, b.height);
    // A saved place on a screen that is no longer there moves onto the primary one.
    if (QGuiApplication::screenAt(bounds.center()) == nullptr && QGuiApplication::primaryScreen()) {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        bounds.moveTopLeft(screen.topLeft());
        bounds.setSize(bounds.size().boundedTo(screen.size()));
    }
    setGeometry(bounds);
    RebuildRecentMenu();
}

void TKDiagramF::WriteSettings() {
    const bool custom = session_->IsCustomMode();
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    if (normal.isValid())
        settings_.bounds = {normal.left(), normal.top(), normal.width(), normal.height()};
    if (isVisible()) settings_.windowStateNormal = !isMaximized();
    settings_.Write(store_, custom);
}

void TKDiagramF::EditCustModDirs() {
    std::optional<std::vector<std::string>> dirs = askCustModDirs(settings_.custModDirs);
    if (!dirs) return;
    if (static_cast<int>(dirs->size()) > kMaxCustModDirs) dirs->resize(kMaxCustModDirs);
    settings_.custModDirs = *dirs;
    session_->SetModuleFolders(settings_.custModDirs);
    WriteSettings();
}

// --- Start-up and closing -------------------------------------------------------------

void TKDiagramF::Start(bool customMode, const std::string& path) {
    const bool moduleFile = QFileInfo(Q(path)).suffix().compare("kvc", Qt::CaseInsensitive) == 0;
    ReadSettings(customMode || moduleFile);
    // Custom mode starts in a normal window.
    const bool normal = customMode || moduleFile || settings_.windowStateNormal;
    NewModel(customMode);
    if (!path.empty()) {
        if (QFileInfo(Q(path)).isFile()) {
            OpenPath(path);
        } else {
            messages_.NoteBox("Cannot open " + path);
        }
    }
    if (normal)
        showNormal();
    else
        showMaximized();
}

void TKDiagramF::closeEvent(QCloseEvent* event) {
    view_->CancelPendingWire();
    if (!closing_ && !AskSaveChanges()) {
        event->ignore();
        return;
    }
    session_->RunLoop().PressStop();
    idleTimer_->stop();
    displayTimer_->stop();
    WriteSettings();
    // The run-time model goes first (it writes changed workbooks back).
    session_->DiscardRunTime();
    event->accept();
}

std::string TKDiagramF::WriteRecoveryCopy() {
    const QString name = QString("recovered-%1.%2")
                             .arg(QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss"))
                             .arg(session_->IsCustomMode() ? "kvc" : "kvd");
    const std::string path = QDir(RecoveryFolder()).absoluteFilePath(name).toStdString();
    KPosixFileSystem fs;
    KMessageRecorder quiet;
    if (!SaveNewFile(fs, path, session_->Text(), quiet)) return {};
    return "A copy of your model was saved to " + path + ".";
}

void TKDiagramF::FatalQuit() {
    closing_ = true;
    session_->RunLoop().PressStop();
    idleTimer_->stop();
    displayTimer_->stop();
    close();
    QCoreApplication::exit(3);
}

}  // namespace korvel
