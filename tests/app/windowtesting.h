// Shared pieces of the editor's tests: a message sink that records every
// box and answers from a script, and a main window wired to it, to an
// in-memory settings store and to scripted file dialogs in a temporary
// folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QUrl>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "app/appmessages.h"
#include "app/diagramwindow.h"
#include "app/modelsession.h"
#include "base/messagerecorder.h"
#include "base/safefile.h"
#include "base/settings.h"
#include "model/block.h"
#include "model/blocktype.h"
#include "model/elements.h"

namespace korvel::testing {

class KScriptedMessages final : public KAppMessages {
public:
    KAnswer Box(std::string_view caption, std::string_view text, KButtons buttons) override {
        KAnswer answer = recorder.Box(caption, text, buttons);
        if (onBox) onBox();
        return answer;
    }
    void ShowMessage(const KTwoLineMessage& message) override { recorder.ShowMessage(message); }
    KChoice AskYesNoCancel(std::string_view caption, std::string_view text) override {
        recorder.boxes.push_back({std::string(caption), std::string(text), KButtons::OkCancel});
        if (choices.empty()) return KChoice::Cancel;
        KChoice c = choices.front();
        choices.pop_front();
        return c;
    }
    bool AskYesNo(std::string_view caption, std::string_view text) override {
        return AskYesNoCancel(caption, text) == KChoice::Yes;
    }

    KMessageRecorder recorder;
    std::deque<KChoice> choices;  // answers to Yes/No(/Cancel) questions
    // Runs while a box "is shown", as a user slow to answer lets events pass.
    std::function<void()> onBox;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Example(const char* name) {
    return std::string(KORVEL_EXAMPLES) + "/" + name;
}

// A window as a user meets it, with everything outside the process scripted.
struct WindowFixture : ::testing::Test {
    WindowFixture() {
        settings.Set("AutoSaveBeforeCompile", "false");
        window = std::make_unique<TKDiagramF>(messages, settings, fs);
        window->askFileName = [this](const QString& dir, QString& filter, const QStringList&,
                                     bool save) {
            askedDirs.push_back(dir);
            askedSave.push_back(save);
            if (fileAnswers.empty()) return QString();
            QString answer = fileAnswers.front();
            fileAnswers.pop_front();
            if (!filterAnswer.isEmpty()) filter = filterAnswer;
            return answer;
        };
        window->openUrl = [this](const QUrl& url) {
            openedUrls.push_back(url);
            return true;
        };
        window->showCompileList = [this](const std::vector<KCompileMessage>& list) {
            compileLists.push_back(list);
        };
        window->Start(false, "");
        // Key events reach shortcuts only in the active window.
        QApplication::setActiveWindow(window.get());
    }
    ~WindowFixture() override { window.reset(); }

    KElements& Elements() { return window->Session().Elements(); }
    // A block added straight to the model (not through the canvas), unselected.
    KBlock& Place(const char* tag, int page = 0, int x = 100, int y = 100,
                  const std::string& name = {}) {
        std::unique_ptr<KBlock> block = MakeBlock(*FindBlockTypeByTag(tag));
        block->Initialize(Elements().NextFreeIDNumber(), page, x, y);
        block->selected = false;
        if (!name.empty()) block->userString = name;
        return static_cast<KBlock&>(Elements().Add(std::move(block)));
    }
    KBlock* FindBlock(const char* tag) {
        for (const auto& e : Elements().All())
            if (e->IsBlock() && static_cast<KBlock&>(*e).GetTypeTag() == tag)
                return static_cast<KBlock*>(e.get());
        return nullptr;
    }
    // Makes the open model modified by a real edit.
    void Touch() {
        window->Edit({4, "", ""}, [this] { Place("KVariable", 0, 300, 300); });
    }

    QAction* Action(const char* name) { return window->findChild<QAction*>(name); }
    void Trigger(const char* name) {
        QAction* action = Action(name);
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    std::string Path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    // A copy of a bundled example in the temporary folder.
    std::string CopyExample(const char* name) {
        const std::string path = Path(name);
        WriteFile(path, ReadFile(Example(name)));
        return path;
    }
    // Opens a copy of the oscillator example and starts it running.
    void StartRunning() {
        ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
        window->Run();
        ASSERT_TRUE(window->IsRunning());
    }

    QTemporaryDir dir;
    KScriptedMessages messages;
    KMemorySettings settings;
    KPosixFileSystem posix;
    KFaultyFileSystem fs{posix};  // set fs.failOperation to make a save fail
    std::unique_ptr<TKDiagramF> window;
    std::deque<QString> fileAnswers;
    QString filterAnswer;
    std::vector<QString> askedDirs;
    std::vector<bool> askedSave;
    std::vector<QUrl> openedUrls;
    std::vector<std::vector<KCompileMessage>> compileLists;
};

}  // namespace korvel::testing
