// Damaged design files and failing saves. Every malformed file must end in
// its message, never crash or hang, and leave a collection that can still be
// saved and read; a save that fails must leave the old file as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/safefile.h"
#include "model/custmodfile.h"
#include "model/modelfile.h"
#include "modelfile_support.h"

namespace korvel {
namespace {

using namespace filetest;
using ::testing::PrintToString;
using Texts = std::vector<std::string>;

struct MalformedCase {
    const char* file;
    Texts messages;
    int elementsLeft;
    bool loads = false;
};

const std::string kGarbageLine(
    "\x7f"
    "ELF\x02\x01\x01\x00\x00\xff\xfe\x10",
    12);

const std::string kTooFar = " is off any page; coordinates go from -1073741824 to 1073741824.";
const std::string kTooLarge = " is too large; element numbers go up to 1073741824.";

// clang-format off
const MalformedCase kMalformed[] = {
    {"empty.kvd", {"Unexpected file end in GetDoubleFromFile"}, 0},
    {"truncated_after_version.kvd", {"Unexpected file end in LoadBoolFromFile"}, 0},
    {"truncated_in_page_names.kvd", {"Unexpected file end in LoadStringFromFile"}, 0},
    {"truncated_in_block_head.kvd",
     {"Unexpected file end in GetIntFromFile", "Could not load KTime"}, 0},
    {"truncated_in_node_lines.kvd",
     {"Unexpected file end in GetIntFromFile", "Could not load KVariable"}, 1},
    {"truncated_in_wire.kvd", {"Unexpected file end in GetIntFromFile", "Could not load KWire"}, 2},
    {"truncated_in_bends.kvd", {"Unexpected file end in GetIntFromFile", "Could not load KWire"}, 2},
    {"truncated_before_file_end.kvd", {"Unexpected file end in LoadStringFromFile"}, 3},
    // The cut leaves "1,IDNu": a node line for no node, then the end.
    {"truncated_mid_line.kvd", {"Could not locate node IDNu in Variable1",
      "Unexpected file end in GetIntFromFile", "Could not load KVariable"}, 1},
    {"bad_version_number.kvd", {"Bad number in one point two,Version"}, 0},
    // Not a number at all: no range holds it.
    {"nan_version.kvd", {"This file is too old for this program to read."}, 0},
    {"bad_number_position.kvd", {"Bad number in 1x0,X", "Could not load KTime"}, 0},
    {"bad_number_node.kvd", {"Bad number in two,Scale", "Could not load KVariable"}, 1},
    // The flag reader fails without a word of its own; the record says which.
    {"bad_bool_flag.kvd", {"Could not load KTime"}, 0},
    // In the frame nothing else would say why the open failed.
    {"bad_custmod_flag.kvd", {"The CustMod line (line 2) must say True or False."}, 0},
    {"unknown_tag.kvd", {"Could not identify KVariabel"}, 1},
    {"zero_pages.kvd", {"The file has 0 pages; a model has at least one."}, 0},
    {"huge_pages.kvd", {"The file has 2147483647 pages; a model has at most 99."}, 0},
    // Without page names nothing else would stop it, and saving would then
    // write two thousand million page lines.
    {"huge_pages_without_names.kvd", {"The file has 2000000000 pages; a model has at most 99."}, 0},
    {"huge_bends.kvd", {"Expected X in 2,IDNumber", "Could not load KWire"}, 2},
    {"negative_bends.kvd", {"Bad number in -3,Bends", "Could not load KWire"}, 2},
    {"absurd_block_number.kvd",
     {"The number 1073741825 of Clock" + kTooLarge, "Could not load KTime"}, 0},
    {"absurd_wire_number.kvd", {"The number 2147483647 of a wire" + kTooLarge}, 2},
    {"number_beyond_int.kvd", {"Bad number in 99999999999,IDNumber", "Could not load KTime"}, 0},
    // Repeated numbers are for the compile to report.
    {"duplicate_numbers.kvd", {}, 3, true},
    // Blocks this far out would overflow where their size is added; routing
    // the bendless wire to them used to do exactly that.
    {"huge_x.kvd", {"The position 2147483647, 100 of Clock" + kTooFar, "Could not load KTime"}, 0},
    {"lowest_y.kvd",
     {"The position 200, -2147483648 of Variable1" + kTooFar, "Could not load KVariable"}, 1},
    {"block_at_coordinate_limit.kvd", {}, 3, true},
    {"wrong_field_count_int.kvd", {"Bad line in file: 100,X,1", "Could not load KTime"}, 0},
    {"wrong_field_count_string.kvd",
     {"Internal Error.  Count is 3.  Expected Count = 2.  LoadStringFromFile().",
      "Could not load KTime"}, 0},
    {"wrong_field_count_node.kvd",
     {"Bad number tokens in 2.5,3,Scale", "Could not load KVariable"}, 1},
    {"wrong_field_count_version.kvd", {"Bad line in file: 1.2"}, 0},
    {"missing_keyword.kvd", {"Expected Page in 0,Pag", "Could not load KTime"}, 0},
    {"start_inside_record.kvd",
     {"Unexpected Start encountered in Variable1", "Could not load KVariable"}, 1},
    {"too_many_nodes.kvd", {"Too many nodes in Variable1", "Could not load KVariable"}, 1},
    {"wire_to_missing_block.kvd", {"Could not find block to which wire is connected"}, 2},
    {"wire_to_missing_node.kvd",
     {"Bad node number in GetNodeP", "Logic error:  End node not found in Connect"}, 2},
    {"negative_wire_number.kvd", {"Could not load KWire"}, 2},
    {"binary_garbage.kvd", {"Bad line in file: " + kGarbageLine}, 0},
    {"garbage_after_header.kvd", {"Expected Start in \x01\x02\x03,\xff\xfe"}, 0},
    {"dsa_wrong_field_count.kvd",
     {"Fault in KNodeDSAButton :: LoadNodeFromFile:  Wrong number tokens", "Could not load KDsa"},
     0},
    {"dsa_no_buttons.kvd",
     {"Fault in KNodeDSAButton :: LoadNodeFromFile:  NumberButtons < 1", "Could not load KDsa"},
     0},
    {"module_not_found.kvd",
     {"Custom Module \"nowhere.kvc\" not found.", "Could not load KCustMod"}, 0},
};
// clang-format on

TEST(ModelFileMalformed, EachFileGivesItsMessagesAndLeavesAConsistentCollection) {
    KModuleFinder modules({TestData("")});
    KLoadOptions options;
    options.modules = &modules;
    for (const MalformedCase& c : kMalformed) {
        SCOPED_TRACE(c.file);
        auto m = Load(ReadBytes(TestData(std::string("malformed/") + c.file)), options);
        EXPECT_EQ(m->result.pages, c.loads ? 1 : 0);
        EXPECT_EQ(m->messages.Texts(), c.messages);
        EXPECT_EQ(m->elements.Count(), c.elementsLeft);
        EXPECT_EQ(ConsistencyProblems(m->elements), "");
        // What was read can be saved and read back as it is. The header of a
        // failed read means nothing, so a plain one-page header is used.
        KModelHeader header;
        std::string text = SaveModelText(m->elements, header);
        auto again = Load(text, options);
        EXPECT_EQ(again->result.pages, 1) << PrintToString(again->messages.Texts());
        EXPECT_EQ(Describe(again->elements), Describe(m->elements));
    }
}

// Duplicate numbers load: each wire end goes to the first block of its number.
TEST(ModelFileMalformed, DuplicateNumbersStillAttachTheWire) {
    auto m = Load(ReadBytes(TestData("malformed/duplicate_numbers.kvd")));
    ASSERT_EQ(m->result.pages, 1);
    KWire& wire = m->WireAt(2);
    EXPECT_EQ(wire.IDNumber(), 0);
    EXPECT_EQ(wire.StartBlockPtr(), &m->BlockAt(0));
    EXPECT_EQ(wire.EndBlockPtr(), &m->BlockAt(1));
}

// ---------------------------------------------------------------------------
// Saving through a file system that fails

std::string Golden() {
    return ReadBytes(TestData("time_to_variable.kvd"));
}

// Saving goes through the safe save (its every failing step is tested with
// it): a failed save of a design leaves the old file as it was and nothing
// beside it, and the next save writes the model.
TEST(ModelFileSave, AFailedSaveLeavesTheOriginalAndTheNextOneWrites) {
    TempDir dir;
    const std::string path = dir.File("design.kvd");
    const std::string original = Golden();
    WriteBytes(path, original);
    auto m = Load(original);
    ASSERT_TRUE(m->result.Ok());
    m->BlockAt(0).userString = "Renamed clock";
    KPosixFileSystem posix;
    KFaultyFileSystem faulty(posix);
    faulty.failOperation = 2;  // the first write
    KMessageRecorder messages;
    EXPECT_FALSE(SaveModelFile(m->elements, m->header, path, true, faulty, messages));
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(dir.Entries(), Texts{"design.kvd"});
    EXPECT_TRUE(SaveModelFile(m->elements, m->header, path, true, posix, messages));
    EXPECT_EQ(ReadBytes(path), SaveModelText(m->elements, m->header));
}

// A module that breaks its rules is not written at all.
TEST(ModelFileSave, CustomModuleThatFailsItsCheckIsNotWritten) {
    TempDir dir;
    const std::string path = dir.File("module.kvc");
    WriteBytes(path, "old");
    auto m = Load(Golden());
    m->header.custMod = true;  // a module without any output block
    KPosixFileSystem posix;
    KMessageRecorder messages;
    EXPECT_FALSE(SaveModelFile(m->elements, m->header, path, true, posix, messages));
    EXPECT_EQ(messages.Texts(),
              Texts{"You must have at least one Custom Module Output block in a custom module."});
    EXPECT_EQ(ReadBytes(path), "old");
}

}  // namespace
}  // namespace korvel
