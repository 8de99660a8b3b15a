#pragma once

#include <string>
#include <vector>

namespace tmt {

// One radio group's choice: the selected item's index, -1 when none is, and that item's caption.
// The first item (index 0) is the game's default and adds no switch.
struct RadioChoice {
    int index = -1;
    std::string caption;
};

// What the launch window offers, as the user left it.
struct LaunchChoices {
    RadioChoice renderer;   // the caption is the switch: "OpenGL"
    RadioChoice resolution; // likewise: "1280x720"
    RadioChoice midiDelay;  // "100ms"
    RadioChoice waveVolume; // "75%"
    RadioChoice filtering;  // the index counts, from the second item on: 0, 1, ...
    // The switches of the ticked boxes, in the order of the window's option groups and of the
    // boxes in each group.
    std::vector<std::string> tickedSwitches;
};

// The game's command tail: every switch begins with a blank, the radio groups first in this
// order (not the order on screen), then the ticked boxes. Empty when everything is the default.
std::string LaunchParameters(const LaunchChoices& choices);

// The question asked before the game starts with those parameters; `lostReason` says why they
// would not reach the game (its manager takes none), empty when they do.
std::string LaunchConfirmation(const std::string& parameters, const std::string& lostReason = {});

} // namespace tmt
