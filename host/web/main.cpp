// Start-up in the page: the main window, then the page's events until it is closed.
#include <emscripten/bind.h>
#include <emscripten/emscripten.h>
#include <emscripten/val.h>

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "host/web/picture_library.h"
#include "host/web/web_host.h"
#include "ui/options.h"

using emscripten::val;

namespace {

poromea::web::PictureLibrary pictures;
poromea::web::WebHost* host = nullptr;

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
// Whether a new build may take over the page now (index.html): not while a game is being played.
bool gameInProgress() { return host && host->gameInProgress(); }

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
    emscripten::function("gameInProgress", &gameInProgress);
}

int main() {
    try {
        // The address's parameters, in order, read as the command line's options.
        const val entries = val::global("Array").call<val>("from", val::global("URLSearchParams").new_(val::global("location")["search"]));
        std::vector<std::pair<std::string, std::string>> parameters;
        for (int i = 0, n = entries["length"].as<int>(); i < n; ++i) {
            parameters.emplace_back(entries[i][0].as<std::string>(), entries[i][1].as<std::string>());
        }
        const poromea::ui::AddressOptions options = poromea::ui::readAddress(parameters);
        static poromea::web::WebHost instance(pictures, options.memoriseMs);
        // What the game did not take, in a line that is seen and heard and lets every pointer through to the game.
        if (!options.notice.empty()) {
            val notice = val::global("document").call<val>("createElement", val("p"));
            notice.set("className", val("notice"));
            notice.call<void>("setAttribute", val("role"), val("status"));
            val::global("document")["body"].call<void>("append", notice);
            notice.set("textContent", val(options.notice));
        }
        host = &instance;
        instance.start();
        // The game takes the player's input from here, START with the focus: that moment, in milliseconds from navigation.
        val::global("document")["documentElement"].call<void>("setAttribute", val("data-ready-ms"), val(emscripten_get_now()));
    } catch (const std::exception& e) {
        val::module_property("failedToStart")(val(std::string(e.what())));
    }
    // The runtime stays after main returns: the page's events drive the game.
    return 0;
}
