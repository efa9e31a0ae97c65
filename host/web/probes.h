// What the benchmarks measure in the page (make bench-web): how long each
// kind of event took to handle, when the main window's pictures were first
// painted and when the program took the page over. Nothing of the game
// depends on them.
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
    // Once every picture of the main window has been painted, the page's root
    // element gets data-drawn-ms: that moment, in milliseconds from navigation.
    // The page's own markup paints them before the program runs; this is
    // called once it has started, and so data-ready-ms, when the game began
    // to take the player's input, is set here too.
    void watchFirstPaint();
    void picturesPainted(emscripten::val entries);

    // The handling times in milliseconds, by the names the failure report
    // uses ("START", "ドロップ", ...): an object of arrays.
    emscripten::val handlerTimes() const;

    void began(std::string_view what) override;
    void ended(std::string_view what) override;

private:
    emscripten::val observer_ = emscripten::val::null();
    int painted_ = 0;
    double drawnAt_ = 0;
    std::map<std::string, double, std::less<>> started_;
    std::map<std::string, std::vector<double>, std::less<>> times_;
};

}  // namespace poromea::web
