// korvel: the block-diagram editor.
#include <unistd.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <iostream>

#include "app/canvas/glyphs.h"
#include "app/diagramwindow.h"
#include "app/platform.h"
#include "app/manual.h"
#include "app/qtmessages.h"
#include "app/qtsettings.h"
#include "app/startup.h"
#include "base/safefile.h"
#include "base/streammessages.h"

namespace {

// A Fatal Error raised inside any event handler ends the program cleanly:
// the box (with the recovery copy) has been shown; the window closes
// without questions. Exceptions must not cross Qt's event loop.
class KApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const korvel::KFatalError&) {
            if (window)
                window->FatalQuit();
            else
                QCoreApplication::exit(3);
            return true;
        }
    }
    korvel::TKDiagramF* window = nullptr;
};

std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

// Options that need no window are answered before Qt looks for a display.
int AnswerWithoutWindow(const korvel::KStartup& startup) {
    if (!startup.error.empty()) {
        std::cerr << "korvel: " << startup.error << '\n';
        return 2;
    }
    if (startup.help) {
        std::cout << korvel::StartupHelp();
        return 0;
    }
    if (startup.version) {
        std::cout << "Korvel " << KORVEL_VERSION << '\n';
        return 0;
    }
    korvel::KPosixFileSystem fs;
    korvel::KStreamMessages messages(std::cerr);
    return korvel::SaveNewFile(fs, startup.writeManual, korvel::ManualHtml(), messages) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    korvel::KStartup early = korvel::ParseStartup(Arguments(argc, argv));
    if (early.help || early.version || !early.writeManual.empty() || !early.error.empty())
        return AnswerWithoutWindow(early);

    // Glyph output needs a painter but no screen.
    const bool glyphs = !early.glyphSheet.empty() || !early.renderGlyphs.empty();
    if (glyphs && std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    KApplication app(argc, argv);
    QApplication::setOrganizationName("Korvel");
    QApplication::setApplicationName("Korvel");
    QApplication::setApplicationVersion(KORVEL_VERSION);
    // Qt sets the C library's locale from the environment; numbers in files
    // and boxes always use "." whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");

    // Qt has taken its own options out of argv by now.
    const korvel::KStartup startup = korvel::ParseStartup(Arguments(argc, argv));
    if (!startup.error.empty()) return AnswerWithoutWindow(startup);
    if (glyphs) {
        std::string error;
        const QString sources = korvel::DataFolder() + "/glyphs";
        const bool ok = startup.glyphSheet.empty()
                            ? korvel::WriteGlyphBitmaps(sources, QString::fromStdString(startup.renderGlyphs), error)
                            : korvel::WriteGlyphSheet(sources, QString::fromStdString(startup.glyphSheet), error);
        if (!ok) std::cerr << "korvel: " << error << '\n';
        return ok ? 0 : 1;
    }

    korvel::KQtMessages messages;
    if (startup.logMessages || isatty(2)) messages.SetEcho(&std::cerr);
    korvel::KQtSettings settings;
    korvel::KPosixFileSystem fileSystem;
    int status = 0;
    {
        korvel::TKDiagramF window(messages, settings, fileSystem);
        messages.SetParentWindow(&window);
        messages.onFatal = [&window] { return window.WriteRecoveryCopy(); };
        app.window = &window;
        window.Start(startup.customMode, startup.path);
        status = app.exec();
        app.window = nullptr;
        messages.SetParentWindow(nullptr);
        messages.onFatal = nullptr;
    }
    settings.Sync();
    return status;
}
