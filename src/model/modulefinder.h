// Finding custom module files. A module block stores its module's file name;
// the file is looked up by its bare name in the module search folders, in
// order, and the first folder that holds it wins.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class Messages;

inline constexpr int kMaxModuleFolders = 20;

class KModuleFinder {
public:
    KModuleFinder() = default;
    explicit KModuleFinder(std::vector<std::string> folders);

    const std::vector<std::string>& Folders() const { return folders_; }
    // Adds a folder at the end of the list (at most 20 are kept).
    void AddFolder(std::string folder);
    // Adds a folder searched after the list whatever its length: the
    // folder of the model itself, which is not one of the user's folders.
    void AddFolderPastLimit(std::string folder);

    // The full path of the module file, or nullopt after the message
    // "Custom Module \"name\" not found.". With no folders nothing is
    // searched and nothing is said.
    std::optional<std::string> Find(std::string_view fileName, Messages& messages) const;

private:
    std::vector<std::string> folders_;
};

}  // namespace korvel
