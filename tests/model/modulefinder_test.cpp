// The module search folders.
#include "model/modulefinder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel {
namespace {

TEST(ModuleFinder, KeepsAtMostTwentyFolders) {
    KModuleFinder finder;
    for (int i = 0; i < kMaxModuleFolders + 5; ++i) finder.AddFolder("f" + std::to_string(i));
    ASSERT_EQ(finder.Folders().size(), static_cast<std::size_t>(kMaxModuleFolders));
    EXPECT_EQ(finder.Folders().back(), "f19");
}

}  // namespace
}  // namespace korvel
