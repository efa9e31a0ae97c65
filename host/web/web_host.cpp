#include "host/web/web_host.h"

#include <emscripten/em_js.h>

#include <stdexcept>

#include "ui/layout.h"

// Timer1 on the page's own interval timer. Its id stays in the page: a
// browser may give ids that do not fit the program's integers.
EM_JS(void, setTimer1, (int milliseconds), {
    if (Module.timer1 !== undefined) clearInterval(Module.timer1);
    Module.timer1 = milliseconds > 0 ? setInterval(() => Module.onTimer1(), milliseconds) : undefined;
});

namespace poromea::web {
namespace {

// Mouse buttons as the rules' handlers receive them, from PointerEvent.button
// (touch and a pen's tip are the left button); 0 for the others.
int buttonCode(int button) {
    switch (button) {
    case 0: return ui::kLeftButton;
    case 1: return ui::kMiddleButton;
    case 2: return ui::kRightButton;
    default: return 0;
    }
}

int shiftCode(const val& event) {
    return (event["shiftKey"].as<bool>() ? 1 : 0) | (event["ctrlKey"].as<bool>() ? 2 : 0) |
           (event["altKey"].as<bool>() ? 4 : 0);
}

ui::Key keyOf(const EmscriptenKeyboardEvent& e) {
    const std::string_view code(e.code), name(e.key);
    const auto digit = [](char d) { return static_cast<ui::Key>(static_cast<int>(ui::Key::Digit1) + (d - '1')); };
    // The main row's digits by their place, whatever the layout writes there; the keypad's as NumLock
    // makes them: a digit, or the key named (an arrow, End, ...).
    if (code.size() == 6 && code.starts_with("Digit") && code.back() >= '1' && code.back() <= '6') return digit(code.back());
    if (code.starts_with("Numpad") && name.size() == 1 && name[0] >= '1' && name[0] <= '6') return digit(name[0]);
    if (name == "ArrowLeft") return ui::Key::Left;
    if (name == "ArrowRight") return ui::Key::Right;
    if (name == "ArrowUp") return ui::Key::Up;
    if (name == "ArrowDown") return ui::Key::Down;
    if (name == "Enter") return ui::Key::Return;
    if (name == " ") return ui::Key::Space;
    if (name == "Escape") return ui::Key::Escape;
    if (name == "Tab") return ui::Key::Tab;
    return ui::Key::Other;
}

}  // namespace

WebHost::WebHost(PictureLibrary& pictures, std::int32_t memoriseMs)
    : pictures_(pictures),
      windows_(pictures),
      outline_(element("div", "outline")),
      announcer_(element("div", "announcer")),
      game_(*this, memoriseMs) {
    // The outline has a card's size (every card has the same).
    const ui::PixelRect card = ui::controlFor(Imgx(0)).pixelRect();
    outline_["style"].set("width", val(px(card.width)));
    outline_["style"].set("height", val(px(card.height)));
    windows_.form1().call<void>("appendChild", outline_);
    announcer_.call<void>("setAttribute", val("aria-live"), val("assertive"));
    val::global("document")["body"].call<void>("appendChild", announcer_);
}

void WebHost::start() {
    val form1 = windows_.form1();
    listen(form1, "pointerdown", "onCardPointerDown");
    listen(form1, "pointermove", "onPointerMove");
    listen(form1, "pointerup", "onPointerUp");
    listen(form1, "pointercancel", "onPointerCancel");
    listen(form1, "lostpointercapture", "onPointerCancel");
    listen(val::global("window"), "error", "onPageError");
    emscripten_set_keydown_callback(
        EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true,
        [](int, const EmscriptenKeyboardEvent* e, void* host) -> EM_BOOL {
            return static_cast<WebHost*>(host)->keyDown(*e);
        });
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true,
                                  [](int, const EmscriptenKeyboardEvent*, void* host) -> EM_BOOL {
                                      return static_cast<WebHost*>(host)->keyUp();
                                  });
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, false,
                                   [](int, const EmscriptenUiEvent*, void* host) -> EM_BOOL {
                                       static_cast<WebHost*>(host)->layOut();
                                       return false;
                                   });
    windows_.layOut();
    game_.mainWindowShown();
}

// --- the page's events ---

ui::Point WebHost::inForm1(const val& event) const {
    return windows_.inForm1(event["clientX"].as<double>(), event["clientY"].as<double>());
}

void WebHost::cardPointerDown(val event) {
    const val card = event["target"].call<val>("getAttribute", val("data-card"));
    const int button = buttonCode(event["button"].as<int>());
    if (card.isNull()) return;
    // Nothing else for this press: no selection, no scrolling, no focus change.
    event.call<void>("preventDefault");
    // Where in the card it was pressed, in the card's own unscaled pixels.
    game_.cardPressed(std::stoi(card.as<std::string>()),
                      {event["pointerId"].as<int>(), button, shiftCode(event),
                       {event["offsetX"].as<double>(), event["offsetY"].as<double>()}});
}

void WebHost::pointerMove(val event) {
    if (windows_.titlePointerMove(event)) return;
    // PointerEvent.buttons has the rules' bits: 1 left, 2 right, 4 middle.
    game_.pointerMoved(event["pointerId"].as<int>(), inForm1(event), event["buttons"].as<int>() & 7);
}

void WebHost::pointerUp(val event) {
    if (windows_.titlePointerEnd(event)) return;
    game_.pointerReleased(event["pointerId"].as<int>(), buttonCode(event["button"].as<int>()), inForm1(event));
}

void WebHost::pointerCancel(val event) {
    if (windows_.titlePointerEnd(event)) return;
    // The page took the pointer away (a gesture, a lost capture): no drop.
    game_.pointerLost(event["pointerId"].as<int>());
}

void WebHost::windowPointerDown(val event) {
    game_.pointerDown();
    // The desk brings the window pressed to the front; one that did not have the keys takes them.
    std::optional<ui::Window> activated;
    game_.run("マウス", [&] { activated = windows_.pressed(event); });
    if (activated) game_.windowActivated(*activated);
}

void WebHost::titlePointerDown(val event) {
    game_.run("ウィンドウ", [&] { windows_.titlePointerDown(event); });
}

void WebHost::buttonClick(val event) {
    const val button = event["currentTarget"];
    for (const auto& [id, control] : windows_.form1Controls().controls) {
        if (control.strictlyEquals(button)) return game_.buttonClicked(id);
    }
    // The only other button: its close button. The page closes nothing itself; refused, the window stays.
    static_cast<void>(game_.closeRequested(ui::Window::Congratulation));
}

bool WebHost::keyDown(const EmscriptenKeyboardEvent& event) {
    return game_.keyPressed(windows_.activeWindow(), keyOf(event), event.shiftKey, event.ctrlKey || event.altKey || event.metaKey);
}

// An exception of the page's own (a DOM call that failed) passes through the
// program uncaught and reaches the window as an error event. Raised while an
// event was being handled, it is that handler's failure.
void WebHost::pageError(val event) {
    if (game_.handling().empty() || game_.failed()) return;
    const val error = event["error"];
    const bool described = !error.isNull() && !error.isUndefined() && error["message"].isString();
    game_.fail(game_.handling(), (described ? error["message"] : event["message"]).as<std::string>());
    event.call<void>("preventDefault");
}

// --- primitives ---

ImageBox& WebHost::box(ImageControl control) {
    auto& images = windows_.form1Controls().images;
    auto it = images.find(control);
    if (it == images.end()) throw std::out_of_range("no shown image control there");
    return it->second;
}

void WebHost::startTimer(int milliseconds) { setTimer1(milliseconds); }

void WebHost::stopTimer() { setTimer1(0); }

void WebHost::showWindow(ui::Window window, int x, int y) {
    if (window == ui::Window::Congratulation) windows_.showForm2(pictures_, x, y);
}

void WebHost::hideWindow(ui::Window window) {
    if (window == ui::Window::Congratulation) windows_.hideForm2();
}

// --- the held card, and what is said ---

void WebHost::showOutline(ui::Point topLeft) {
    val style = outline_["style"];
    style.set("left", val(px(topLeft.x)));
    style.set("top", val(px(topLeft.y)));
    style.set("display", val("block"));
}

void WebHost::hideOutline() { outline_["style"].set("display", val("none")); }

// Moves and the release come to the card wherever the pointer goes.
void WebHost::capturePointer(int card, int pointer) {
    box(Imgx(card)).element.call<void>("setPointerCapture", val(pointer));
}

void WebHost::releasePointer(int card, int pointer) {
    // A pointer let go releases its capture by itself.
    val element = box(Imgx(card)).element;
    if (element.call<bool>("hasPointerCapture", val(pointer))) element.call<void>("releasePointerCapture", val(pointer));
}

int WebHost::slotAt(ui::Point at) {
    // The topmost thing there, found from the layouts the windows were built
    // from: a slot hidden by the other window takes no drop. (The message
    // box is modal: no card is held while it is open.)
    if (windows_.form2Covers(at)) return -1;
    const auto& controls = ui::kForm1.controls;
    for (auto c = controls.rbegin(); c != controls.rend(); ++c) {
        const ui::PixelRect r = c->pixelRect();
        if (at.x >= r.left && at.x < r.left + r.width && at.y >= r.top && at.y < r.top + r.height) {
            return c->image && c->image->array == ImageArray::Slot ? c->image->index : -1;
        }
    }
    return -1;
}

// Said at once to a screen reader.
void WebHost::announce(std::string_view words) {
    announcer_.set("textContent", val(std::string(words)));
}

}  // namespace poromea::web
