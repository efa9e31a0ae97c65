// Start-up in the page: the main window, then the page's events until it is closed.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <exception>
#include <string>
#include <vector>

#include "host/web/picture_library.h"
#include "host/web/probes.h"
#include "host/web/web_host.h"
#include "ui/options.h"

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
        // ?memorise=SECONDS is read as the command line's --memorise=SECONDS, by the same rules.
        const val query = val::global("URLSearchParams").new_(val::global("location")["search"]);
        std::vector<std::string> arguments;
        if (query.call<bool>("has", val("memorise"))) {
            arguments.push_back("--memorise=" + query.call<val>("get", val("memorise")).as<std::string>());
        }
        const poromea::ui::Options options = poromea::ui::readOptions(arguments);
        // A value not taken still leaves a game to play: a link with a typo should not leave
        // the player with nothing. The game keeps its five seconds, and says why, in a line
        // that is seen and heard and lets every pointer through to the game.
        const bool refused = options.action != poromea::ui::Options::Action::Play;
        static poromea::web::WebHost instance(pictures, refused ? poromea::kMemoriseMs : options.memoriseMs);
        if (refused) {
            val notice = val::global("document").call<val>("createElement", val("p"));
            notice.set("className", val("notice"));
            notice.call<void>("setAttribute", val("role"), val("status"));
            val::global("document")["body"].call<void>("append", notice);
            notice.set("textContent", val(options.text));
        }
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
