#include "launch/LaunchParameters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tmt::LaunchChoices;
using tmt::LaunchParameters;
using tmt::RadioChoice;

// The defaults everywhere but in one group.
LaunchChoices Only(RadioChoice LaunchChoices::*group, RadioChoice choice) {
    LaunchChoices choices;
    choices.*group = std::move(choice);
    return choices;
}

TEST(LaunchParametersTest, DefaultsGiveNoParametersAndTheDefaultQuestion) {
    EXPECT_EQ(
        LaunchParameters(
            {{0, "Default"}, {0, "Default"}, {0, "Default"}, {0, "Default"}, {0, "Default"}, {}}),
        "");
    EXPECT_EQ(LaunchParameters({}), "") << "groups without a selection add nothing";
    EXPECT_EQ(tmt::LaunchConfirmation(""), "TuneMora will run with default parametrs!");
    EXPECT_EQ(tmt::LaunchConfirmation(" -debug"),
              "TuneMora will run with this parametrs:\n\r -debug");
}

TEST(LaunchParametersTest, TheQuestionSaysWhenTheManagerPassesNoSwitches) {
    const std::string lost = "Steam starts a non-Steam game with its own options only.";
    EXPECT_EQ(tmt::LaunchConfirmation(" -debug", lost),
              "TuneMora will run with this parametrs:\n\r -debug\n\r\n\r" + lost);
    EXPECT_EQ(tmt::LaunchConfirmation("", lost), "TuneMora will run with default parametrs!")
        << "nothing is lost without switches";
}

TEST(LaunchParametersTest, WorkedExampleGivesTenSwitchesInTheGroupsOrder) {
    const LaunchChoices choices{
        {1, "OpenGL"},
        {8, "1280x720"},
        {2, "100ms"},
        {4, "75%"},
        {4, "High"},
        {"-logsongerrors", "-drawfgoff", "-nolimit", "-musicasync", "-newprocessor"}};
    EXPECT_EQ(LaunchParameters(choices), " -OpenGL -1280x720 -editmididelay100 -editwavevolume75 "
                                         "-filtering3 -logsongerrors -drawfgoff -nolimit "
                                         "-musicasync -newprocessor");
}

TEST(LaunchParametersTest, EachGroupAloneGivesItsSwitch) {
    const struct {
        const char* what;
        LaunchChoices choices;
        const char* parameters;
    } cases[] = {
        {"renderer", Only(&LaunchChoices::renderer, {2, "Direct3D"}), " -Direct3D"},
        {"first resolution", Only(&LaunchChoices::resolution, {1, "320x240"}), " -320x240"},
        {"last resolution", Only(&LaunchChoices::resolution, {11, "1920x1080"}), " -1920x1080"},
        {"lowest filtering", Only(&LaunchChoices::filtering, {1, "Very Low"}), " -filtering0"},
        {"highest filtering", Only(&LaunchChoices::filtering, {5, "Very High"}), " -filtering4"},
        {"shortest delay", Only(&LaunchChoices::midiDelay, {1, "50ms"}), " -editmididelay50"},
        {"longest delay", Only(&LaunchChoices::midiDelay, {5, "500ms"}), " -editmididelay500"},
        {"lowest volume", Only(&LaunchChoices::waveVolume, {1, "25%"}), " -editwavevolume25"},
        {"highest volume", Only(&LaunchChoices::waveVolume, {5, "85%"}), " -editwavevolume85"},
        {"one box", {{}, {}, {}, {}, {}, {"-debug"}}, " -debug"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LaunchParameters(c.choices), c.parameters);
    }
}

TEST(LaunchParametersTest, CaptionsShorterThanTheirUnitLeaveTheBareSwitch) {
    LaunchChoices choices = Only(&LaunchChoices::midiDelay, {1, "s"});
    choices.waveVolume = {1, ""};
    EXPECT_EQ(LaunchParameters(choices), " -editmididelay -editwavevolume");
}

} // namespace
