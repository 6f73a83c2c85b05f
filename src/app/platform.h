// The one place where the editor meets the host platform: Windows-style
// paths found in model files and settings, the data folder (glyphs, manual,
// examples) beside the program or under the install prefix, the browser
// launch, and the user's data folder for recovery copies.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QUrl;

namespace korvel {

// A path as written in files and settings ("Glyphs\IconLPF1", "..\Models",
// "C:\Korvel\Modules\affine.kvc") as a host path: backslashes become
// slashes, a drive letter is dropped, "..\Models" means the bundled examples
// folder, and a relative path is taken below `base` when one is given.
std::string HostPath(std::string_view windowsPath, std::string_view base = {});

// The data folder: KORVEL_DATA_DIR when set, then "share/korvel" under the
// install prefix of the running program, then the source tree's data folder.
QString DataFolder();
// The bundled examples: "examples" in the data folder when installed, else
// the source tree's examples folder.
QString ExamplesFolder();
// The reference manual's file in the data folder.
QString ManualPath();
// "file://" URL of the manual, with "#topic" when a topic is given.
QUrl ManualUrl(const QString& topic = {});

// The folder where recovery copies go (created when missing).
QString RecoveryFolder();

// Shortens a text that is too long for a caption or a menu item by putting
// "..." in its middle, so both the start and the file name stay visible.
QString ElideMiddle(const QString& text, int maxChars = 90);

}  // namespace korvel
