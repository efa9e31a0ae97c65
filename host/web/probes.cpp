#include "host/web/probes.h"

#include <emscripten/emscripten.h>

using emscripten::val;

namespace poromea::web {

void Probes::gameStarted() {
    val::global("document")["documentElement"].call<void>("setAttribute", val("data-ready-ms"), val(emscripten_get_now()));
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
