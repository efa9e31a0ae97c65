// How a failure ends the game, the same on every host: every handler, the
// rules' and a host's own, runs under this rule. The first exception ends
// the game with one report, titled as the main window; from then on no
// handler runs, since the state it would run on is no longer trusted.
#pragma once

#include <functional>
#include <string_view>
#include <utility>

#include "ui/primitives.h"

namespace poromea::ui {

class FailureRule {
public:
    // `settle` runs as each handler ends well; `tidy` before the report, to let go of what the game held.
    FailureRule(Primitives& host, std::function<void()> settle, std::function<void()> tidy)
        : host_(host), settle_(std::move(settle)), tidy_(std::move(tidy)) {}
    FailureRule(const FailureRule&) = delete;
    FailureRule& operator=(const FailureRule&) = delete;

    // Runs `handler`, named `what` in a report; nothing once the game has failed.
    void run(std::string_view what, const std::function<void()>& handler);
    // A failure met outside `run` (the page's own errors): reports it and ends the game.
    void fail(std::string_view what, std::string_view why);

    bool failed() const { return failed_; }
    // What is being handled now, empty between events.
    std::string_view handling() const { return handling_; }

private:
    Primitives& host_;
    std::function<void()> settle_;
    std::function<void()> tidy_;
    bool failed_ = false;
    std::string_view handling_;
};

}  // namespace poromea::ui
