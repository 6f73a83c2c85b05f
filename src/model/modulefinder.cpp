#include "model/modulefinder.h"

#include <filesystem>

#include "base/messages.h"
#include "base/texthelpers.h"

namespace korvel {

KModuleFinder::KModuleFinder(std::vector<std::string> folders) {
    for (auto& f : folders) AddFolder(std::move(f));
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
