// The program's options, read once for every host: the command line's words
// (Qt, Windows) or the page's address turned into them. A host hands over the
// words and does what the answer says: play, or show its text and end.
//
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace poromea::ui {

struct Options {
    enum class Action : std::uint8_t {
        Play,     // start the game with `memoriseMs`
        Help,     // show `text` (the options), end with `status` 0
        Version,  // show `text` ("poromea 1.0.0"), end with `status` 0
        Error,    // show `text` as an error, end with `status` 2
    };
    Action action = Action::Play;
    std::int32_t memoriseMs = 0;  // Play only
    std::string text;             // what the player is shown, without the program's name before it
    int status = 0;               // the exit status when the program ends here
};

// `arguments` are the words after the program's name, as typed. Read left to
// right: the first help, version or error decides; otherwise the last
// --memorise counts. Hosts leave out their toolkit's own words first.
Options readOptions(std::span<const std::string> arguments);

}  // namespace poromea::ui
