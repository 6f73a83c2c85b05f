// The module search folders kept in the settings store.
#include "model/modulefinder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/settings.h"

namespace korvel {
namespace {

using Folders = std::vector<std::string>;

// A shorter list saved over a longer one must not bring the old tail back,
// and an empty entry (a folder the user cleared) is no folder.
TEST(ModuleFinder, FoldersSurviveTheSettingsAndAShorterListDropsTheRest) {
    KMemorySettings settings;
    KModuleFinder({"a", "b", "c", "d"}).SaveToSettings(settings);
    EXPECT_EQ(KModuleFinder::FromSettings(settings).Folders(), (Folders{"a", "b", "c", "d"}));
    KModuleFinder({"x", "y"}).SaveToSettings(settings);
    EXPECT_EQ(KModuleFinder::FromSettings(settings).Folders(), (Folders{"x", "y"}));
    settings.Set("CustomModuleDir0", "");
    EXPECT_EQ(KModuleFinder::FromSettings(settings).Folders(), (Folders{"y"}));
}

TEST(ModuleFinder, KeepsAtMostTwentyFolders) {
    KModuleFinder finder;
    for (int i = 0; i < kMaxModuleFolders + 5; ++i) finder.AddFolder("f" + std::to_string(i));
    ASSERT_EQ(finder.Folders().size(), static_cast<std::size_t>(kMaxModuleFolders));
    EXPECT_EQ(finder.Folders().back(), "f19");
}

}  // namespace
}  // namespace korvel
