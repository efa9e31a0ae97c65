// What the benchmarks measure in the page (make bench-web): how long each
// kind of event took to handle, and when the program took the page over
// (the page's own markup paints the window before; the benchmark times that
// paint itself). Nothing of the game depends on them.
#pragma once

#include <emscripten/val.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/interaction.h"

namespace poromea::web {

class Probes final : public ui::Probe {
public:
    // Called once the game has started: the page's root element gets
    // data-ready-ms, that moment in milliseconds from navigation, when the
    // game began to take the player's input.
    void gameStarted();

    // The handling times in milliseconds, by the names the failure report
    // uses ("START", "ドロップ", ...): an object of arrays.
    emscripten::val handlerTimes() const;

    void began(std::string_view what) override;
    void ended(std::string_view what) override;

private:
    std::map<std::string, double, std::less<>> started_;
    std::map<std::string, std::vector<double>, std::less<>> times_;
};

}  // namespace poromea::web
