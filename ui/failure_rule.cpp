#include "ui/failure_rule.h"

#include <exception>
#include <string>

#include "ui/access.h"

namespace poromea::ui {

void FailureRule::run(std::string_view what, const std::function<void()>& handler) {
    if (failed_) return;  // the game has ended; its state is no longer trusted
    const std::string_view outer = handling_;
    handling_ = what;
    try {
        handler();
        if (settle_) settle_();
    } catch (const std::exception& e) {
        fail(what, e.what());
    } catch (...) {
        fail(what, "不明なエラーです。");
    }
    handling_ = outer;
}

void FailureRule::fail(std::string_view what, std::string_view why) {
    if (failed_) return;
    failed_ = true;
    const std::string message = failureMessage(what, why);
    // Reporting the first failure matters more than tidying up after it.
    try {
        if (tidy_) tidy_();
    } catch (...) {
    }
    try {
        host_.stopTimer();
    } catch (...) {
    }
    host_.showFailure(message);
    host_.endProgram(1);
}

}  // namespace poromea::ui
