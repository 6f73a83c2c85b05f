// TKDiagramF: compile, run and stop, the run loop on a zero-interval timer
// and the 250 ms display timer.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <limits>

#include "app/appmessages.h"
#include "app/compilelist.h"
#include "app/canvas/diagramcanvas.h"
#include "app/diagramwindow.h"
#include "app/modelsession.h"
#include "base/numberformat.h"
#include "engine/benchtop.h"
#include "engine/solver.h"

namespace korvel {

namespace {

// Wall time one idle call may take before it returns to the event loop,
// leaving room for the event handling of the same turn within ~20 ms.
constexpr qint64 kCallBudgetNs = 12'000'000;

}  // namespace

bool TKDiagramF::Compile(bool announce) {
    if (IsRunning()) Stop();
    ChooseSelectTool();
    view_->CancelPendingWire();
    view_->ClearGestures();
    if (settings_.autoSaveBeforeCompile) {
        // A cancelled Save As compiles without saving.
        if (session_->FileName().empty())
            SaveAsCommand();
        else
            SaveCommand();
    }
    displayTimer_->stop();
    passPending_ = false;
    std::vector<KCompileMessage> listed;
    bool ok = false;
    try {
        ok = session_->Compile(listed);
    } catch (const KFatalError&) {
        FatalQuit();
        return false;
    }
    if (!listed.empty()) ListCompileMessages(listed);
    listedShown_ = listed.size();
    view_->MarkFaultWires();
    if (!ok) return false;
    lTime_->setText(QString::fromStdString(FormatGeneral(session_->BenchTop()->time, 6)));
    displayTimer_->start();
    if (announce) messages_.NoteBox("Compile Successful!");
    return true;
}

void TKDiagramF::Run() {
    raise();
    activateWindow();
    ChooseSelectTool();
    if (!session_->IsCompiled() && !Compile(false)) {
        sbStop_->setChecked(true);
        return;
    }
    passPending_ = false;
    session_->RunLoop().PressRun();
}

void TKDiagramF::Stop() {
    session_->RunLoop().PressStop();
}

void TKDiagramF::OnRunningChanged(bool running) {
    (running ? sbRun_ : sbStop_)->setChecked(true);
    if (running) {
        idleTimer_->start();
        return;
    }
    idleTimer_->stop();
    // Messages the run listed (a model that could not keep up, ...) are
    // shown once it has stopped, in the same list window as the compile's.
    KBenchTop* bench = session_->BenchTop();
    if (bench == nullptr || bench->CompileMessages().size() <= listedShown_) return;
    const auto& all = bench->CompileMessages();
    const std::vector<KCompileMessage> fresh(all.begin() + std::ptrdiff_t(listedShown_), all.end());
    listedShown_ = all.size();
    ListCompileMessages(fresh);
}

void TKDiagramF::ListCompileMessages(const std::vector<KCompileMessage>& list) {
    if (showCompileList)
        showCompileList(list);
    else
        ShowCompileList(this, list, CompileListPlaces());
}

void TKDiagramF::OnIdle() {
    // No pass while any modal window is open, nor inside one that a pass
    // opened (a message box runs its own event loop).
    if (passDepth_ > 0 || QApplication::activeModalWidget() != nullptr) return;
    KBenchTop* bench = session_->BenchTop();
    if (bench == nullptr || !IsRunning()) {
        idleTimer_->stop();
        return;
    }
    ++passDepth_;
    try {
        RunSliced();
    } catch (const KFatalError&) {
        --passDepth_;
        FatalQuit();
        return;
    } catch (const std::exception& error) {
        messages_.ErrorBox("The following run-time error occurred:   " + std::string(error.what()) +
                           ".\nThe model will be automatically stopped.");
        passPending_ = false;
        Stop();
    }
    --passDepth_;
    if (session_->BenchTop())
        lTime_->setText(QString::fromStdString(FormatGeneral(session_->BenchTop()->time, 6)));
}

// The passes of the run loop, cut into slices: a call returns to the event
// loop when its time (or step) budget is spent and the next call resumes
// the pass where it stopped. Steps are made one at a time toward the same
// target as an uncut pass, so the results equal those of an uncut run.
void TKDiagramF::RunSliced() {
    KBenchTop& bench = *session_->BenchTop();
    KSolver* solver = bench.Solver();
    KRunLoop& loop = session_->RunLoop();
    QElapsedTimer clock;
    clock.start();
    long long steps = 0;
    stepsInLastCall_ = 0;
    for (int pass = 0; pass < KRunLoop::kPassesPerCall; ++pass) {
        if (!loop.IsRunning()) {
            passPending_ = false;  // Stop is answered at once, mid-pass too
            break;
        }
        if (!passPending_) {
            if (bench.AnyScopeWantsStop()) break;
            passTarget_ = bench.NextRunTime();
            passPending_ = true;
        }
        bool ok = solver != nullptr;
        while (ok && bench.time < passTarget_) {
            const bool outOfSteps = stepBudget_ > 0 && steps >= stepBudget_;
            if (outOfSteps ||
                (steps % 8 == 0 && steps > 0 && clock.nsecsElapsed() > kCallBudgetNs)) {
                stepsInLastCall_ = steps;
                return;  // resume this pass at the next call
            }
            ok = solver->RunUntil(
                std::nextafter(bench.time, std::numeric_limits<double>::infinity()));
            ++steps;
        }
        passPending_ = false;
        if (!ok) Stop();
        if (!bench.SampleInstruments()) {
            Stop();
            break;
        }
    }
    stepsInLastCall_ = steps;
}

void TKDiagramF::OnDisplayTick() {
    KBenchTop* bench = session_->BenchTop();
    if (bench == nullptr) {
        displayTimer_->stop();
        return;
    }
    if (QApplication::activeModalWidget() != nullptr && passDepth_ > 0) return;
    bench->SyncNodeValues();
    view_->update();
    view_->RefreshHint();  // the hint follows live values
}

}  // namespace korvel
