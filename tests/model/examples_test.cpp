// Every bundled example model reads without a message and saves back to the
// same bytes, so a reader or writer change that alters a user's file shows
// here. (Each example also runs to its end in the runner's tests.)
#include <gtest/gtest.h>

#include <filesystem>

#include "base/messagerecorder.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"
#include "modelfile_support.h"

namespace korvel {
namespace {

const std::filesystem::path kExamples = KORVEL_EXAMPLES;

TEST(Examples, EveryExampleReadsBackAndSavesTheSameBytes) {
    KModuleFinder finder({kExamples.string()});
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
        auto ext = entry.path().extension();
        if (ext != ".kvd" && ext != ".kvc") continue;
        SCOPED_TRACE(entry.path().string());
        ++files;
        KMessageRecorder messages;
        KElements elements(messages);
        KModelHeader header;
        KLoadOptions options;
        options.modules = &finder;
        ASSERT_TRUE(LoadModelFile(elements, entry.path().string(), options, header, messages).Ok());
        EXPECT_TRUE(messages.boxes.empty());
        EXPECT_GT(elements.Count(), 5);
        EXPECT_EQ(SaveModelText(elements, header), filetest::ReadBytes(entry.path().string()));
    }
    EXPECT_GE(files, 5);
}

}  // namespace
}  // namespace korvel
