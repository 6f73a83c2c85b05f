// Live constants, the string constant, push button and live switch: values,
// limits, compile warnings and the set-live-value operation.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "base/numberformat.h"
#include "engine/blocks_live.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

template <class T>
T& ObjectOf(KBenchTop& benchTop, const KBlock& block) {
    for (KLibraryClass* object : benchTop.ComputeList()) {
        if (&object->Block() == &block) return dynamic_cast<T&>(*object);
    }
    ADD_FAILURE() << "no object";
    throw std::logic_error("no object");
}

TEST(LiveConstants, LimitsOutOfOrderAreExchangedAndWarned) {
    KTestModel model(0.01);
    KBlock& block =
        model.Add("KDConstant",
                  {{"Minimum", 10.0}, {"Maximum", 0.0}, {"InitValue", 4.0}, {"Mult", 0.5}}, "gain");
    KBenchTop& benchTop = model.Build();
    ASSERT_EQ(benchTop.CompileMessages().size(), 1u);
    EXPECT_EQ(benchTop.CompileMessages()[0].code, 10001);
    EXPECT_EQ(benchTop.CompileMessages()[0].text, "Minimum set greater than maximum.");
    auto& constant = ObjectOf<KLibraryConstant>(benchTop, block);
    EXPECT_EQ(constant.SetValue(20.0), 10.0);
    EXPECT_EQ(constant.SetValue(-5.0), 0.0);
    EXPECT_EQ(constant.SetValue(std::nan("")), 0.0);
    EXPECT_EQ(constant.SetValue(3.0), 3.0);
    ASSERT_TRUE(benchTop.Solver()->Step(0.0));
    EXPECT_EQ(model.Value(block, "Output"), 1.5);
    EXPECT_FALSE(constant.IsAtInitialValue());
    constant.SaveValueAsInitial();
    EXPECT_EQ(block.FindNode("InitValue")->value, 3.0);
    EXPECT_TRUE(constant.IsAtInitialValue());
}

TEST(LiveConstants, AnInitialValueOutsideTheRangeStartsAtTheNearestLimit) {
    const struct {
        const char* tag;
        double initial;
        int code;
        const char* text;
        double value;
    } cases[] = {
        {"KDConstant", -3, 10002, "Initial value less than Min/Max range.", 1},
        {"KDConstant", 9, 10003, "Initial value greater than Min/Max range.", 2},
        {"KDIConstant", -3, 10002, "Initial value below Max/Min range in Inverted Live Constant",
         1},
        {"KDIConstant", 9, 10003, "Initial value above Max/Min range in Inverted Live Constant", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        KTestModel model(0.01);
        KBlock& block =
            model.Add(c.tag, {{"Minimum", 1.0}, {"Maximum", 2.0}, {"InitValue", c.initial}});
        KBenchTop& benchTop = model.Build();
        ASSERT_EQ(benchTop.CompileMessages().size(), 1u);
        EXPECT_EQ(benchTop.CompileMessages()[0].code, c.code);
        EXPECT_EQ(benchTop.CompileMessages()[0].text, c.text);
        EXPECT_TRUE(benchTop.CompileMessages()[0].warning);
        EXPECT_EQ(ObjectOf<KLibraryConstant>(benchTop, block).Value(), c.value);
    }
}

TEST(LiveConstants, OutputsOfTheFourKinds) {
    const struct {
        const char* tag;
        double expected;  // value 4, Mult 0.5, Input 3
    } cases[] = {
        {"KDConstant", 2.0}, {"KDIConstant", 0.5}, {"KSConstant", 6.0}, {"KISConstant", 1.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        KTestModel model(0.01);
        KBlock& block = model.Add(c.tag, {{"InitValue", 4.0}, {"Mult", 0.5}});
        if (block.FindNode("Input") != nullptr) KTestModel::Set(block, "Input", 3.0);
        KBenchTop& benchTop = model.Build();
        ASSERT_TRUE(benchTop.ComputeAll(0.0));
        EXPECT_EQ(model.Value(block, "Output"), c.expected);
    }
}

TEST(LiveConstants, SetLiveTextTakesOnlyWholeFiniteNumbers) {
    KTestModel model(0.01);
    KBlock& block = model.Add("KDConstant", "k");
    KBenchTop& benchTop = model.Build();
    auto& constant = ObjectOf<KLibraryConstant>(benchTop, block);
    for (const char* bad : {"", "abc", "1.5x", "nan", "inf", "1e999", " 2"}) {
        EXPECT_EQ(constant.SetLiveText(bad), "\"" + std::string(bad) + "\" is not a number");
    }
    EXPECT_EQ(constant.Value(), 1.0);
    EXPECT_EQ(constant.SetLiveText("+2.5e-1"), "");
    EXPECT_EQ(constant.Value(), 0.25);
    EXPECT_EQ(constant.DisplayState().valueText, "   0.25");
}

TEST(LiveSwitches, RelayCrossesItsInputsWhenOff) {
    KTestModel model(0.01);
    KBlock& block = model.Add("KRelay", {{"Input 1", 1.0}, {"Input 2", 2.0}});
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(benchTop.ComputeAll(0.0));
    EXPECT_EQ(model.Value(block, "Output 1"), 2.0);
    EXPECT_EQ(model.Value(block, "Output 2"), 1.0);
    EXPECT_EQ(model.Value(block, "State"), 0.0);
    auto& relay = ObjectOf<KLibraryRelay>(benchTop, block);
    EXPECT_EQ(relay.SetLiveText("1"), "");
    ASSERT_TRUE(benchTop.ComputeAll(0.0));
    EXPECT_EQ(model.Value(block, "Output 1"), 1.0);
    EXPECT_EQ(model.Value(block, "State"), 1.0);
    EXPECT_TRUE(relay.DisplayState().on);
}

TEST(LiveSwitches, StringConstantParsesTheChosenString) {
    KTestModel model(0.01);
    KBlock& block = model.Add("KStringConstant");
    block.FindNode("Strings")->SetStrings({"1.5", "fast", "-2"});
    KBenchTop& benchTop = model.Build();
    EXPECT_TRUE(benchTop.CompileMessages().empty());
    EXPECT_EQ(model.Value(block, "Output"), 1.5);
    auto& constant = ObjectOf<KLibraryStringConstant>(benchTop, block);
    EXPECT_EQ(constant.SetLiveText("-2"), "");
    EXPECT_EQ(model.Value(block, "Output"), -2.0);
    EXPECT_EQ(constant.SetLiveText("slow"), "\"slow\" is not one of the block's strings");
    EXPECT_EQ(constant.SetLiveText("fast"), "");
    EXPECT_EQ(model.Value(block, "Output"), 0.0);
    model.ExpectOnlyBox(
        "Invalid String Constant",
        "Value in String Constant \"fast\" is invalid.  Value will be forced to zero.");
}

KDisplayState StateOf(KBenchTop& benchTop, const KBlock& block) {
    for (KLibraryClass* object : benchTop.DisplayList()) {
        if (&object->Block() == &block) return dynamic_cast<KDisplayed&>(*object).DisplayState();
    }
    ADD_FAILURE() << "not on the display list";
    return {};
}

TEST(Displays, LampBarDialAndBannerShowTheirInputs) {
    KTestModel model(0.01);
    KBlock& lamp = model.Add("KLamp");
    KBlock& bar = model.Add("KBar");
    KBlock& dial = model.Add("KDial");
    KBlock& banner = model.Add("KBanner");
    banner.FindNode("Messages")->SetStrings({"idle", "running", "fault"});
    for (KBlock* gauge : {&bar, &dial})
        KTestModel::Set(*gauge, {{"Minimum", -10.0}, {"Maximum", 10.0}, {"Mult", 2.0}});
    KBenchTop& benchTop = model.Build();
    const struct {
        double input;
        bool lit;
        double fraction;
        const char* text;
    } cases[] = {
        {0.5, false, 0.55, "running"}, {2.5, true, 0.75, "fault"},  {-1.0, false, 0.4, "idle"},
        {20.0, true, 1.0, "fault"},    {-20.0, false, 0.0, "idle"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        for (KBlock* block : {&lamp, &bar, &dial, &banner}) *model.Slot(*block, "Input") = c.input;
        EXPECT_EQ(StateOf(benchTop, lamp).on, c.lit);
        EXPECT_NEAR(StateOf(benchTop, bar).fraction, c.fraction, 1e-12);
        EXPECT_NEAR(StateOf(benchTop, dial).angle, (c.fraction - 0.5) * 1.5 * M_PI, 1e-12);
        EXPECT_EQ(StateOf(benchTop, banner).text, c.text);
    }
    EXPECT_EQ(StateOf(benchTop, bar).valueText, FormatNumber(-40.0));
}

// Cancel in the box stops the run with the stop() note; OK sets the output.
TEST(Displays, MessageBlockAsksOnARisingEdge) {
    for (KAnswer answer : {KAnswer::Ok, KAnswer::Cancel}) {
        KTestModel model(0.1);
        KBlock& message = model.Add("KMessage", "ask");
        message.FindNode("Message")->SetText("Continue?");
        KBenchTop& benchTop = model.Build();
        model.messages.answer = answer;
        ASSERT_TRUE(benchTop.Solver()->Step(0.0));
        *model.Slot(message, "Trigger Input") = 1.0;
        const bool ran = model.Step();
        ASSERT_GE(model.messages.boxes.size(), 1u);
        EXPECT_EQ(model.messages.boxes[0].caption, "User Message");
        EXPECT_EQ(model.messages.boxes[0].text, "Continue?");
        if (answer == KAnswer::Ok) {
            EXPECT_TRUE(ran);
            EXPECT_EQ(model.Value(message, "Trigger Output"), 1.0);
            EXPECT_EQ(model.messages.boxes.size(), 1u);
        } else {
            EXPECT_FALSE(ran);
            EXPECT_EQ(model.messages.Last().text,
                      "stop() executed from KMessage block named \"ask\" on sheet 1");
        }
    }
}

}  // namespace
}  // namespace korvel::test
