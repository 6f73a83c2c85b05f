#include "app/modelsession.h"

#include "app/appmessages.h"
#include "app/appsettings.h"
#include "base/safefile.h"
#include "base/texthelpers.h"
#include "engine/benchtop.h"
#include "engine/buildbenchtop.h"
#include "model/block.h"
#include "model/compile.h"
#include "model/elements.h"
#include "model/lineio.h"
#include "model/modeleditor.h"
#include "model/modulefinder.h"

namespace korvel {

KModelSession::KModelSession(KAppMessages& messages)
    : messages_(messages),
      elements_(std::make_unique<KElements>(messages)),
      editor_(std::make_unique<KModelEditor>(*elements_)),
      runLoop_(messages) {
    header_.pageNames = {"1"};
}

KModelSession::~KModelSession() {
    DiscardRunTime();
}

void KModelSession::DiscardRunTime() {
    runLoop_.SetBenchTop(nullptr);
    // Dropping the bench top writes back the workbooks it changed; the
    // compile it was built from goes with it.
    bench_.reset();
    compiled_ = KCompiled{};
}

void KModelSession::New(bool customMode, int fontSize) {
    DiscardRunTime();
    elements_ = std::make_unique<KElements>(messages_);
    editor_ = std::make_unique<KModelEditor>(*elements_);
    header_ = KModelHeader{};
    header_.custMod = customMode;
    header_.fontSize = fontSize;
    header_.pageNames = {"1"};
    fileName_.clear();
    modified_ = false;
    if (!customMode) return;
    struct Placed {
        int type;
        int x;
    };
    // Input, integrator, output: the smallest module that compiles.
    for (Placed p : {Placed{ktype::kCustInput, 10}, Placed{*FindBlockTypeByTag("KInt"), 100},
                     Placed{ktype::kCustOutput, 200}}) {
        std::unique_ptr<KBlock> block = MakeBlock(p.type);
        block->Initialize(elements_->NextFreeIDNumber(), 0, p.x, 10);
        block->selected = false;
        elements_->Add(std::move(block));
    }
}

bool KModelSession::Open(const std::string& path) {
    std::string text, error;
    if (!ReadWholeFile(path, text, error)) {
        messages_.ErrorMessage(
            5, "Cannot open " + path,
            "This may be a Windows or an internal error." + std::string(kSupportSentence));
        return false;
    }
    auto fresh = std::make_unique<KElements>(messages_, FileFolder(path));
    std::vector<std::string> folders = moduleFolders_;
    folders.push_back(FileFolder(path));
    KModuleFinder finder(folders);
    KLoadOptions options;
    options.modules = &finder;
    KModelHeader header;
    KLineReader reader(std::move(text));
    if (!LoadModel(*fresh, reader, options, header, messages_).Ok()) return false;
    DiscardRunTime();
    elements_ = std::move(fresh);
    editor_ = std::make_unique<KModelEditor>(*elements_);
    header_ = std::move(header);
    // A hand-edited "FontSize" of 0 or 10000 is limited like the dialog's answer.
    header_.fontSize = ClampFontSize(header_.fontSize);
    // Elements on pages beyond the frame's count get tabs named by their
    // numbers, so a hand-edited file hides nothing.
    int lastPage = static_cast<int>(header_.pageNames.size()) - 1;
    for (const auto& e : elements_->All()) lastPage = std::max(lastPage, e->Page());
    while (static_cast<int>(header_.pageNames.size()) <= lastPage)
        header_.pageNames.push_back(std::to_string(header_.pageNames.size() + 1));
    if (header_.pageNames.empty()) header_.pageNames = {"1"};
    header_.pages = static_cast<int>(header_.pageNames.size());
    fileName_ = path;
    modified_ = false;
    return true;
}

std::string KModelSession::Text() const {
    KModelHeader header = header_;
    header.pages = PageCount();
    return SaveModelText(*elements_, header);
}

bool KModelSession::Save(const std::string& path, bool replaceExisting, KFileSystem& fs) {
    KModelHeader header = header_;
    header.pages = PageCount();
    // A file that has gone since it was opened is simply written anew.
    const bool replace = replaceExisting && fs.Exists(path);
    if (!SaveModelFile(*elements_, header, path, replace, fs, messages_)) return false;
    fileName_ = path;
    modified_ = false;
    return true;
}

std::vector<std::string> KModelSession::ModuleSearchFolders() const {
    std::vector<std::string> folders = moduleFolders_;
    if (!fileName_.empty()) folders.push_back(FileFolder(fileName_));
    return folders;
}

bool KModelSession::Compile(std::vector<KCompileMessage>& listed) {
    DiscardRunTime();
    KModuleFinder finder(ModuleSearchFolders());
    KCompileOptions options;
    options.modules = &finder;
    compiled_ = CompileModel(*elements_, options, messages_);
    if (!compiled_.Ok()) return false;
    std::unique_ptr<KBenchTop> bench = BuildBenchTop(compiled_, messages_);
    if (!bench) return false;
    listed = bench->CompileMessages();
    for (const KCompileMessage& m : listed)
        if (!m.warning) return false;
    // Workbooks named relative to the model are found beside it.
    if (!fileName_.empty()) bench->SetModelFolder(FileFolder(fileName_));
    if (!bench->OpenFiles()) return false;
    bench_ = std::move(bench);
    runLoop_.SetBenchTop(bench_.get());
    return true;
}

void KModelSession::ZeroAllStoredOutputs() {
    // The element side: stored outputs are the values of state outputs,
    // which become the initial states of the next compile.
    for (const auto& e : elements_->All()) {
        if (!e->IsBlock()) continue;
        auto& block = static_cast<KBlock&>(*e);
        for (KNode& node : block.Nodes())
            if (node.Role() == KRole::StateOut && node.Kind() == KValueKind::Double)
                node.value = 0.0;
    }
    if (bench_) bench_->ZeroStoredOutputs();
}

}  // namespace korvel
