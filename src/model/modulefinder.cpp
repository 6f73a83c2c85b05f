#include "model/modulefinder.h"

#include <filesystem>

#include "base/messages.h"
#include "base/settings.h"
#include "base/texthelpers.h"

namespace korvel {

namespace {

std::string FolderKey(int i) {
    return "CustomModuleDir" + std::to_string(i);
}

}  // namespace

KModuleFinder::KModuleFinder(std::vector<std::string> folders) {
    for (auto& f : folders) AddFolder(std::move(f));
}

KModuleFinder KModuleFinder::FromSettings(const SettingsStore& settings) {
    KModuleFinder finder;
    for (int i = 0; i < kMaxModuleFolders; ++i)
        if (auto folder = settings.Get(FolderKey(i)); folder && !folder->empty())
            finder.AddFolder(*folder);
    return finder;
}

void KModuleFinder::SaveToSettings(SettingsStore& settings) const {
    // A folder added past the limit is not one of the settings' folders.
    for (int i = 0; i < kMaxModuleFolders; ++i) {
        if (i < static_cast<int>(folders_.size()))
            settings.Set(FolderKey(i), folders_[static_cast<std::size_t>(i)]);
        else
            settings.Remove(FolderKey(i));
    }
}

void KModuleFinder::AddFolder(std::string folder) {
    if (static_cast<int>(folders_.size()) < kMaxModuleFolders)
        folders_.push_back(std::move(folder));
}

void KModuleFinder::AddFolderPastLimit(std::string folder) {
    folders_.push_back(std::move(folder));
}

std::optional<std::string> KModuleFinder::Find(std::string_view fileName,
                                               Messages& messages) const {
    if (folders_.empty()) return std::nullopt;
    // Module files are found by their bare name, so a design keeps working
    // when it and its modules move to another machine or folder.
    std::string name = FileNameOnly(fileName);
    for (const std::string& folder : folders_) {
        std::filesystem::path candidate =
            std::filesystem::path(SlashesForBackslashes(folder)) / name;
        std::error_code ec;
        if (!name.empty() && std::filesystem::is_regular_file(candidate, ec))
            return candidate.string();
    }
    messages.ErrorBox("Custom Module \"" + std::string(fileName) + "\" not found.");
    return std::nullopt;
}

}  // namespace korvel
