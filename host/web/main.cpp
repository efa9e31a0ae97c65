// Start-up in the page: the main window, then the page's events until it is closed.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <exception>
#include <string>

#include "host/web/picture_library.h"
#include "host/web/probes.h"
#include "host/web/web_host.h"
#include "ui/access.h"

using emscripten::val;

namespace {

poromea::web::PictureLibrary pictures;
poromea::web::WebHost* host = nullptr;
poromea::web::Probes probes;

// The page's listeners: each hands its event to the one host.
void onCardPointerDown(val e) { host->cardPointerDown(std::move(e)); }
void onPointerMove(val e) { host->pointerMove(std::move(e)); }
void onPointerUp(val e) { host->pointerUp(std::move(e)); }
void onPointerCancel(val e) { host->pointerCancel(std::move(e)); }
void onButtonClick(val e) { host->buttonClick(std::move(e)); }
void onTitlePointerDown(val e) { host->titlePointerDown(std::move(e)); }
void onWindowPointerDown(val e) { host->windowPointerDown(std::move(e)); }
void onPageError(val e) { host->pageError(std::move(e)); }
void onTimer1() { host->timerElapsed(); }
void preventDefault(val e) { e.call<void>("preventDefault"); }
void keepFocus(val e) {
    if (e["target"].call<val>("closest", val("button")).isNull()) e.call<void>("preventDefault");
}
// For measuring: how long the handlers took.
val handlerTimes() { return probes.handlerTimes(); }

}  // namespace

EMSCRIPTEN_BINDINGS(poromea) {
    emscripten::function("onCardPointerDown", &onCardPointerDown);
    emscripten::function("onPointerMove", &onPointerMove);
    emscripten::function("onPointerUp", &onPointerUp);
    emscripten::function("onPointerCancel", &onPointerCancel);
    emscripten::function("onButtonClick", &onButtonClick);
    emscripten::function("onTitlePointerDown", &onTitlePointerDown);
    emscripten::function("onWindowPointerDown", &onWindowPointerDown);
    emscripten::function("onPageError", &onPageError);
    emscripten::function("onTimer1", &onTimer1);
    emscripten::function("preventDefault", &preventDefault);
    emscripten::function("keepFocus", &keepFocus);
    emscripten::function("handlerTimes", &handlerTimes);
}

int main() {
    try {
        // ?memorise=SECONDS lengthens the time to memorise; a value that is not one is not taken.
        const val asked = val::global("URLSearchParams").new_(val::global("location")["search"]).call<val>("get", val("memorise"));
        const auto memoriseMs = asked.isString() ? poromea::ui::memoriseMs(asked.as<std::string>()) : std::nullopt;
        static poromea::web::WebHost instance(pictures, memoriseMs.value_or(poromea::kMemoriseMs));
        host = &instance;
        instance.setProbe(&probes);
        instance.start();
        probes.gameStarted();
    } catch (const std::exception& e) {
        val::module_property("failedToStart")(val(std::string(e.what())));
    }
    // The runtime stays after main returns: the page's events drive the game.
    return 0;
}
