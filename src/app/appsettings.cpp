#include "app/appsettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/settings.h"
#include "base/texthelpers.h"

namespace korvel {

namespace {

std::optional<int> ReadInt(const SettingsStore& store, const std::string& key) {
    std::optional<std::string> text = store.Get(key);
    if (!text) return std::nullopt;
    int value = 0;
    const char* end = text->data() + text->size();
    auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end || text->empty()) return std::nullopt;
    return value;
}

std::optional<bool> ReadBool(const SettingsStore& store, const std::string& key) {
    std::optional<std::string> text = store.Get(key);
    if (text == "true" || text == "1") return true;
    if (text == "false" || text == "0") return false;
    return std::nullopt;
}

std::string WindowKey(bool customMode, std::string_view name) {
    return (customMode ? "ForCustom" : "") + std::string(name);
}

// Window bounds users can still reach: positive size within reason, and
// coordinates that a screen could hold. Whether a screen does is the
// window's job (it knows the screens).
bool PlausibleBounds(const KWindowBounds& b) {
    constexpr int kLimit = 100000;
    return b.width >= 100 && b.height >= 100 && b.width <= kLimit && b.height <= kLimit &&
           std::abs(b.left) <= kLimit && std::abs(b.top) <= kLimit;
}

}  // namespace

KAppSettings KAppSettings::Read(const SettingsStore& store, bool customMode) {
    KAppSettings s;
    s.autoSaveBeforeCompile = ReadBool(store, "AutoSaveBeforeCompile").value_or(true);
    if (auto size = ReadInt(store, "UserStringFontSize"))
        s.userStringFontSize = ClampFontSize(*size);
    if (auto normal = ReadInt(store, WindowKey(customMode, "WindowStateNormal")))
        s.windowStateNormal = *normal == 1;
    KWindowBounds b;
    auto top = ReadInt(store, WindowKey(customMode, "WindowTop"));
    auto left = ReadInt(store, WindowKey(customMode, "WindowLeft"));
    auto width = ReadInt(store, WindowKey(customMode, "WindowWidth"));
    auto height = ReadInt(store, WindowKey(customMode, "WindowHeight"));
    if (top && left && width && height) {
        b = {*left, *top, *width, *height};
        if (PlausibleBounds(b)) s.bounds = b;
    }
    if (auto dir = store.Get("Last Dir"); dir && !dir->empty()) s.lastDir = *dir;
    if (auto dir = store.Get("Last Custom Module Dir"); dir && !dir->empty())
        s.lastCustomModuleDir = *dir;
    for (int i = 0; i < kMaxRecentFiles; ++i)
        if (auto file = store.Get("File" + std::to_string(i));
            file && !file->empty() &&
            std::ranges::find(s.recentFiles, *file) == s.recentFiles.end())
            s.recentFiles.push_back(*file);
    const int count = std::clamp(ReadInt(store, "NumCustModDirs").value_or(0), 0, kMaxCustModDirs);
    for (int i = 0; i < count; ++i)
        if (auto dir = store.Get("CustModDirs" + std::to_string(i)); dir && !dir->empty())
            s.custModDirs.push_back(*dir);
    return s;
}

void KAppSettings::Write(SettingsStore& store, bool customMode) const {
    store.Set("AutoSaveBeforeCompile", autoSaveBeforeCompile ? "true" : "false");
    store.Set("UserStringFontSize", std::to_string(ClampFontSize(userStringFontSize)));
    store.Set(WindowKey(customMode, "WindowStateNormal"), windowStateNormal ? "1" : "0");
    store.Set(WindowKey(customMode, "WindowTop"), std::to_string(bounds.top));
    store.Set(WindowKey(customMode, "WindowLeft"), std::to_string(bounds.left));
    store.Set(WindowKey(customMode, "WindowWidth"), std::to_string(bounds.width));
    store.Set(WindowKey(customMode, "WindowHeight"), std::to_string(bounds.height));
    store.Set("Last Dir", lastDir);
    store.Set("Last Custom Module Dir", lastCustomModuleDir);
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        const std::string key = "File" + std::to_string(i);
        if (i < static_cast<int>(recentFiles.size()))
            store.Set(key, recentFiles[static_cast<std::size_t>(i)]);
        else
            store.Remove(key);
    }
    const int count = std::min(static_cast<int>(custModDirs.size()), kMaxCustModDirs);
    store.Set("NumCustModDirs", std::to_string(count));
    for (int i = 0; i < kMaxCustModDirs; ++i) {
        const std::string key = "CustModDirs" + std::to_string(i);
        if (i < count)
            store.Set(key, custModDirs[static_cast<std::size_t>(i)]);
        else
            store.Remove(key);
    }
}

int ClampFontSize(double size) {
    if (!std::isfinite(size)) return kDefaultFontSize;
    const double rounded = std::floor(size + 0.5);
    return static_cast<int>(std::clamp(rounded, double(kMinFontSize), double(kMaxFontSize)));
}

void PushRecentFile(std::vector<std::string>& recent, const std::string& path) {
    std::erase(recent, path);
    recent.insert(recent.begin(), path);
    if (static_cast<int>(recent.size()) > kMaxRecentFiles) recent.resize(kMaxRecentFiles);
}

std::string RecentFileCaption(int position, const std::string& path, const std::string& lastDir) {
    const std::string folder = FileFolder(path);
    std::string shown = path;
    if (!lastDir.empty() && (folder == lastDir || folder + "/" == lastDir))
        shown = FileNameOnly(path);
    std::string escaped;
    for (char c : shown) {
        if (c == '&') escaped += '&';
        escaped += c;
    }
    return "&" + std::to_string(position) + "  " + escaped;
}

std::string NextPageName(const std::vector<std::string>& pageNames) {
    long long largest = 0;
    bool any = false;
    for (const std::string& name : pageNames) {
        if (name.empty() || name.size() > 9 || !IsAllDigits(name)) continue;
        const long long n = std::stoll(name);
        if (!any || n > largest) largest = n;
        any = true;
    }
    return any ? std::to_string(largest + 1) : "1";
}

}  // namespace korvel
