// The editor's settings as kept between sessions, read and written through
// the settings seam under the value names users and support know
// ("AutoSaveBeforeCompile", "Last Dir", "File0"...). In custom-module mode
// the window values carry the prefix "ForCustom", so designs and modules
// keep separate window places.
//
// Reading never fails: a missing, unreadable or out-of-range value gives its
// default, and the next write repairs the store.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class SettingsStore;

inline constexpr int kMaxRecentFiles = 9;
inline constexpr int kMaxCustModDirs = 20;
inline constexpr int kMinFontSize = 2;
inline constexpr int kMaxFontSize = 40;
inline constexpr int kDefaultFontSize = 8;
// The default of both last directories: the bundled examples folder.
inline constexpr std::string_view kDefaultLastDir = "..\\Models";

struct KWindowBounds {
    int left = 60;
    int top = 60;
    int width = 1100;
    int height = 760;
};

struct KAppSettings {
    bool autoSaveBeforeCompile = true;
    int userStringFontSize = kDefaultFontSize;
    bool windowStateNormal = false;  // maximised by default
    KWindowBounds bounds;
    std::string lastDir{kDefaultLastDir};
    std::string lastCustomModuleDir{kDefaultLastDir};
    std::vector<std::string> recentFiles;  // most recent first, at most 9
    std::vector<std::string> custModDirs;  // at most 20

    // Reads every value; `customMode` picks the "ForCustom" window values.
    static KAppSettings Read(const SettingsStore& store, bool customMode);
    void Write(SettingsStore& store, bool customMode) const;
};

// The font size limited to 2..40; used on the dialog's answer, on a file's
// "FontSize" and on the stored value alike.
int ClampFontSize(double size);

// Puts a path at the top of the recent files; one already listed moves
// there instead of being listed twice; the tenth falls off.
void PushRecentFile(std::vector<std::string>& recent, const std::string& path);

// The recent-file menu caption: "&" + position (from 1) + two blanks + the
// file name alone when the file lies in `lastDir`, else the full path; an
// "&" inside the name is doubled so that it shows.
std::string RecentFileCaption(int position, const std::string& path, const std::string& lastDir);

// The name a new page takes: the largest page name that is a whole number,
// plus 1; "1" when none is. Names too long to be a number count as none.
std::string NextPageName(const std::vector<std::string>& pageNames);

}  // namespace korvel
