// TKDiagramF: the edit seam, editing commands, pages, zoom, fonts, page
// images and printing.
#include <QAction>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/appmessages.h"
#include "app/canvas/diagramcanvas.h"
#include "app/diagramwindow.h"
#include "app/dialogs/blocksetup.h"
#include "app/modelsession.h"
#include "app/pageoutput.h"
#include "app/platform.h"
#include "app/refusals.h"
#include "base/messages.h"
#include "base/safefile.h"
#include "model/block.h"
#include "model/elements.h"
#include "model/modeleditor.h"
#include "model/modelfile.h"

namespace korvel {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

// --- The edit seam ------------------------------------------------------------

bool TKDiagramF::RefuseWhileRunning(const KRefusal& refusal) {
    if (!IsRunning()) return false;
    messages_.WarningMessage(refusal.number, refusal.description,
                             std::string(kStopAdvice) + std::string(refusal.adviceThen));
    return true;
}

bool TKDiagramF::Edit(const KRefusal& refusal, const std::function<void()>& change) {
    if (RefuseWhileRunning(refusal)) return false;
    // The run-time model reads the blocks an edit may delete: it goes first,
    // so nothing can reach a deleted block.
    session_->DiscardRunTime();
    displayTimer_->stop();
    change();
    session_->SetModified(true);
    ModelChanged();
    return true;
}

void TKDiagramF::LiveAdjusted() {
    session_->SetModified(true);
    view_->update();
}

void TKDiagramF::BlockProperties() {
    const std::vector<KBlock*> selected = session_->Editor().SelectedBlocks();
    if (selected.empty()) return;
    TKBlockSetupF dialog(*this, *selected.front());
    dialog.exec();
}

void TKDiagramF::ModelChanged() {
    view_->ModelChanged();
    UpdateBlockMenu();
}

void TKDiagramF::DeleteSelection(bool cut) {
    Edit(kRefuseDelete, [this, cut] {
        KElements& elements = session_->Elements();
        if (cut) {
            session_->Editor().CopyAllSelected(CurrentPage());
            view_->NoteCopied(CurrentPage());
        }
        elements.DeleteSelected();
    });
}

void TKDiagramF::ArrowKey(int dx, int dy) {
    if (session_->Editor().SelectedBlocks().empty()) return;
    Edit(kRefuseChange, [this, dx, dy] {
        // The page the canvas shows, as a mouse drag is kept inside.
        const QSize page = view_->PageSize();
        session_->Editor().MoveSelected(CurrentPage(), dx, dy, page.width(), page.height());
    });
}

void TKDiagramF::ZeroAllStoredOutputs() {
    // Allowed during a run: the states take their reset at the next stage.
    session_->ZeroAllStoredOutputs();
    LiveAdjusted();
}

// --- Pages ----------------------------------------------------------------------

void TKDiagramF::ResetPageTabs() {
    const QSignalBlocker block(pageTabs_);
    while (pageTabs_->count() > 0) pageTabs_->removeTab(0);
    for (const std::string& name : session_->Header().pageNames) pageTabs_->addTab(Q(name));
    pageTabs_->setCurrentIndex(0);
    view_->SetPage(0);
}

void TKDiagramF::SetCurrentPage(int page) {
    pageTabs_->setCurrentIndex(page);
    view_->SetPage(page);
    UpdatePageMenu();
}

void TKDiagramF::PageKey(int target) {
    if (target < 0 || target >= session_->PageCount() || target == CurrentPage()) return;
    session_->Editor().ClearSelection();
    SetCurrentPage(target);
}

void TKDiagramF::ShowBlock(int idNumber) {
    KElement* element = session_->Elements().FindByNumber(idNumber);
    if (element == nullptr || !element->IsBlock() || element->ParentModule() >= 0) return;
    if (element->Page() < 0 || element->Page() >= session_->PageCount()) return;
    session_->Editor().ClearSelection();
    element->selected = true;
    if (element->Page() != CurrentPage()) SetCurrentPage(element->Page());
    view_->update();
    UpdateBlockMenu();
}

KCompileListPlaces TKDiagramF::CompileListPlaces() {
    KCompileListPlaces places;
    places.blockName = [this](int idNumber) {
        const KElement* element = session_->Elements().FindByNumber(idNumber);
        if (element == nullptr || !element->IsBlock()) return QString::number(idNumber);
        const auto& block = static_cast<const KBlock&>(*element);
        return Q(block.userString.empty() ? std::string(block.GetTypeName()) : block.userString);
    };
    places.sheetName = [this](int page) {
        const auto& names = session_->Header().pageNames;
        const bool known = page >= 0 && page < int(names.size());
        return Q(PageFieldText(page, int(names.size()), known ? names[std::size_t(page)] : ""));
    };
    places.showBlock = [this](int idNumber) { ShowBlock(idNumber); };
    return places;
}

void TKDiagramF::NewPage() {
    if (RefuseWhileRunning(kRefusePages)) return;
    if (session_->PageCount() >= kMaxPages) {
        messages_.ErrorMessage(1000, "Too many sheets to add another.",
                               "Delete a sheet and then add a sheet.");
        return;
    }
    const int at = CurrentPage() + 1;
    Edit(kRefusePages, [this, at] {
        for (const auto& e : session_->Elements().All())
            if (e->Page() >= at) e->SetPage(e->Page() + 1);
        auto& names = session_->Header().pageNames;
        names.insert(names.begin() + at, NextPageName(names));
    });
    ResetPageTabs();
    SetCurrentPage(at);
}

void TKDiagramF::DeletePage() {
    if (RefuseWhileRunning(kRefuseDelete)) return;
    const int page = CurrentPage();
    const int count = session_->PageCount();
    if (page < 0 || page >= count) {
        messages_.ErrorMessage(1000, "CurrentPage out of bounds in MMDeletePageClick.",
                               "This is an internal fault." + std::string(kSupportSentence));
        return;
    }
    const bool empty = session_->Elements().IsPageEmpty(page);
    if (count == 1) {
        if (empty) {
            messages_.ErrorBox("The last page cannot be deleted.");
            return;
        }
        if (messages_.WarningBoxOkCancel("Do you want to delete all the contents of page 1?") !=
            KAnswer::Ok)
            return;
        Edit(kRefuseDelete, [this] { session_->Elements().DeletePage(0); });
        return;
    }
    if (!empty && messages_.WarningBoxOkCancel(
                      "Do you want to delete this page and all its contents?") != KAnswer::Ok)
        return;
    Edit(kRefuseDelete, [this, page] {
        session_->Elements().DeletePage(page);
        auto& names = session_->Header().pageNames;
        names.erase(names.begin() + page);
    });
    ResetPageTabs();
    SetCurrentPage(std::min(page, session_->PageCount() - 1));
}

void TKDiagramF::RenamePage() {
    const int page = CurrentPage();
    auto& names = session_->Header().pageNames;
    std::optional<QString> name = askText("Page Name", Q(names[static_cast<std::size_t>(page)]));
    if (!name || name->isEmpty()) return;
    // Names are fields of the model file's page line: no separators in them.
    QString clean = *name;
    clean.replace(',', '-').replace('\n', ' ').replace('\r', ' ');
    names[static_cast<std::size_t>(page)] = clean.toStdString();
    pageTabs_->setTabText(page, clean);
    LiveAdjusted();
}

void TKDiagramF::MovePage(int delta) {
    const int page = CurrentPage();
    const int other = page + delta;
    if (other < 0 || other >= session_->PageCount()) return;
    const bool moved = Edit(kRefusePages, [this, page, other] {
        for (const auto& e : session_->Elements().All()) {
            if (e->Page() == page)
                e->SetPage(other);
            else if (e->Page() == other)
                e->SetPage(page);
        }
        auto& names = session_->Header().pageNames;
        std::swap(names[static_cast<std::size_t>(page)], names[static_cast<std::size_t>(other)]);
    });
    if (!moved) return;
    ResetPageTabs();
    SetCurrentPage(other);
}

// --- View ------------------------------------------------------------------------

void TKDiagramF::SetZoom(double zoom) {
    zoom = std::clamp(zoom, 0.125, 4.0);
    if (zoom == zoom_) return;
    // Keep the point at the centre of the view at the centre.
    QScrollBar* h = scroll_->horizontalScrollBar();
    QScrollBar* v = scroll_->verticalScrollBar();
    const double cx = (h->value() + scroll_->viewport()->width() / 2.0) / zoom_;
    const double cy = (v->value() + scroll_->viewport()->height() / 2.0) / zoom_;
    zoom_ = zoom;
    view_->SetZoom(zoom_);
    h->setValue(int(cx * zoom_ - scroll_->viewport()->width() / 2.0));
    v->setValue(int(cy * zoom_ - scroll_->viewport()->height() / 2.0));
}

void TKDiagramF::UserStringFont() {
    std::optional<double> size =
        askNumber("User String Font Size", settings_.userStringFontSize, QPoint(25, 25));
    if (!size) return;
    settings_.userStringFontSize = ClampFontSize(*size);
    session_->Header().fontSize = settings_.userStringFontSize;
    WriteSettings();
    LiveAdjusted();
    view_->SetLabelFontSize(settings_.userStringFontSize);  // labels are measured again
}

// --- Output -------------------------------------------------------------------------

void TKDiagramF::CopyPageImage() {
    char name[40];
    std::snprintf(name, sizeof name, "NewFile-%.5d.bmp", CurrentPage() + 1);
    QString filter = "Bitmap (*.bmp)";
    const QStringList filters = {filter, "PNG image (*.png)", "SVG drawing (*.svg)"};
    QString chosen =
        askFileName(Q(HostPath(settings_.lastDir)) + "/" + name, filter, filters, true);
    if (chosen.isEmpty()) return;
    if (QFileInfo(chosen).suffix().isEmpty())
        chosen += filter.contains("png") ? ".png" : filter.contains("svg") ? ".svg" : ".bmp";
    const std::string path = chosen.toStdString();
    if (fs_.Exists(path) && !messages_.AskYesNo("File Exits", path + " already exists. Overwrite?"))
        return;
    std::string error;
    if (!SavePageImage(chosen, session_->Elements(), CurrentPage(), view_->PageTextFont(), error))
        messages_.ErrorBox(error);
}

void TKDiagramF::Print(int how) {
    const QString header = session_->FileName().empty() ? "Korvel.  Untitled model."
                                                        : "Korvel.  " + Q(session_->FileName());
    QPrinter printer(QPrinter::HighResolution);
    auto print = [&](QPrinter* target) {
        PrintPages(*target, session_->Elements(), session_->Header().pageNames, header,
                   view_->PageTextFont());
    };
    if (how == 0) {
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted) print(&printer);
        return;
    }
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(how == 1 ? "Print with preview" : "Print preview");
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, print);
    preview.exec();
}

}  // namespace korvel
