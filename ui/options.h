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
#include <utility>

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

// The page's address: each parameter, in order, read as the command line's
// --name=value (--name where it has no value) by the same rules. A page cannot end as a program does: where
// the command line would end, with help or an error, the game plays with its
// own five seconds, and `notice` says in the same words why.
struct AddressOptions {
    std::int32_t memoriseMs = 0;
    std::string notice;  // empty when every parameter was taken
};
AddressOptions readAddress(std::span<const std::pair<std::string, std::string>> parameters);

}  // namespace poromea::ui
