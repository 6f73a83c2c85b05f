#include "app/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace korvel {

namespace {

bool IsFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace

std::string HostPath(std::string_view windowsPath, std::string_view base) {
    std::string path(windowsPath);
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        path.erase(0, 2);
    if (path == "../Models" || path == "../Models/") return ExamplesFolder().toStdString();
    if (path.empty() || path.front() == '/' || base.empty()) return path;
    std::string joined(base);
    if (joined.back() != '/') joined += '/';
    return joined + path;
}

QString DataFolder() {
    const QString env = qEnvironmentVariable("KORVEL_DATA_DIR");
    if (IsFolder(env)) return QDir(env).absolutePath();
    const QString appDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!appDir.isEmpty()) {
        const QString installed = QDir(appDir).absoluteFilePath("../share/korvel");
        if (IsFolder(installed)) return QDir(installed).absolutePath();
    }
#ifdef KORVEL_SOURCE_DATA_DIR
    return QString::fromUtf8(KORVEL_SOURCE_DATA_DIR);
#else
    return appDir;
#endif
}

QString ExamplesFolder() {
    const QString installed = DataFolder() + "/examples";
    if (IsFolder(installed)) return installed;
#ifdef KORVEL_SOURCE_EXAMPLES_DIR
    return QString::fromUtf8(KORVEL_SOURCE_EXAMPLES_DIR);
#else
    return installed;
#endif
}

QString ManualPath() {
    return DataFolder() + QString::fromStdString(HostPath("\\Manual\\Manual.htm"));
}

QUrl ManualUrl(const QString& topic) {
    QUrl url = QUrl::fromLocalFile(ManualPath());
    if (!topic.isEmpty()) url.setFragment(topic);
    return url;
}

QString RecoveryFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty()) folder = QDir::homePath() + "/.korvel";
    QDir().mkpath(folder);
    return folder;
}

QString ElideMiddle(const QString& text, int maxChars) {
    if (text.size() <= maxChars || maxChars < 9) return text;
    const int keep = maxChars - 3;
    const int head = keep / 2;
    return text.left(head) + "..." + text.right(keep - head);
}

}  // namespace korvel
