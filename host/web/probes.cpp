#include "host/web/probes.h"

#include <emscripten/em_js.h>
#include <emscripten/emscripten.h>

#include <algorithm>

#include "ui/layout.h"

using emscripten::val;

// The observer calls back with more arguments than the bindings accept.
EM_JS(emscripten::EM_VAL, observePaintsHandle, (), {
    const observer = new PerformanceObserver((entries) => Module.onPicturesPainted(entries));
    observer.observe({type: "element", buffered: true});
    return Emval.toHandle(observer);
});

namespace poromea::web {

void Probes::watchFirstPaint() {
    val::global("document")["documentElement"].call<void>("setAttribute", val("data-ready-ms"), val(emscripten_get_now()));
    observer_ = val::take_ownership(observePaintsHandle());
}

void Probes::picturesPainted(val entries) {
    const val list = entries.call<val>("getEntries");
    const int count = list["length"].as<int>();
    for (int i = 0; i < count; ++i) {
        drawnAt_ = std::max(drawnAt_, list[i]["renderTime"].as<double>());
        ++painted_;
    }
    const auto& controls = ui::kForm1.controls;
    const auto shown = std::count_if(controls.begin(), controls.end(),
                                     [](const ui::Control& c) { return c.kind == ui::Kind::Image; });
    if (painted_ < shown || observer_.isNull()) return;
    observer_.call<void>("disconnect");
    observer_ = val::null();
    val::global("document")["documentElement"].call<void>("setAttribute", val("data-drawn-ms"), val(drawnAt_));
}

void Probes::began(std::string_view what) { started_[std::string(what)] = emscripten_get_now(); }

void Probes::ended(std::string_view what) {
    auto start = started_.find(what);
    if (start == started_.end()) return;
    auto& times = times_[std::string(what)];
    if (times.size() == 256) times.erase(times.begin());
    times.push_back(emscripten_get_now() - start->second);
}

val Probes::handlerTimes() const {
    val all = val::object();
    for (const auto& [what, times] : times_) {
        val list = val::array();
        for (double t : times) list.call<void>("push", val(t));
        all.set(what, list);
    }
    return all;
}

}  // namespace poromea::web
