#include "launch/LaunchParameters.h"

namespace tmt {

namespace {

std::string WithoutLast(const std::string& text, std::size_t count) {
    return text.substr(0, text.size() > count ? text.size() - count : 0);
}

bool Chosen(const RadioChoice& choice) {
    return choice.index > 0;
}

} // namespace

std::string LaunchParameters(const LaunchChoices& choices) {
    std::string parameters;
    if (Chosen(choices.renderer)) {
        parameters += " -" + choices.renderer.caption;
    }
    if (Chosen(choices.resolution)) {
        parameters += " -" + choices.resolution.caption;
    }
    // The captions carry their unit ("100ms", "75%"), which the switch goes without.
    if (Chosen(choices.midiDelay)) {
        parameters += " -editmididelay" + WithoutLast(choices.midiDelay.caption, 2);
    }
    if (Chosen(choices.waveVolume)) {
        parameters += " -editwavevolume" + WithoutLast(choices.waveVolume.caption, 1);
    }
    if (Chosen(choices.filtering)) {
        parameters += " -filtering" + std::to_string(choices.filtering.index - 1);
    }
    for (const std::string& ticked : choices.tickedSwitches) {
        parameters += ' ';
        parameters += ticked;
    }
    return parameters;
}

std::string LaunchConfirmation(const std::string& parameters, const std::string& lostReason) {
    if (parameters.empty()) {
        return "TuneMora will run with default parametrs!";
    }
    const std::string question = "TuneMora will run with this parametrs:\n\r" + parameters;
    return lostReason.empty() ? question : question + "\n\r\n\r" + lostReason;
}

} // namespace tmt
