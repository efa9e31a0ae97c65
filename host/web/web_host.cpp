#include "host/web/web_host.h"

#include <emscripten/em_js.h>
#include <emscripten/eventloop.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "ui/access.h"

using emscripten::val;

// The observer calls back with more arguments than the bindings accept.
EM_JS(emscripten::EM_VAL, observePaintsHandle, (), {
    const observer = new PerformanceObserver((entries) => Module.onPicturesPainted(entries));
    observer.observe({type: "element", buffered: true});
    return Emval.toHandle(observer);
});

namespace poromea::web {
namespace {

val observePaints() { return val::take_ownership(observePaintsHandle()); }

// The congratulation window's frame around its client area, in pixels.
constexpr int kBorder = 1;
constexpr int kTitleBar = 23;

std::string px(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fpx", value);
    return text;
}

std::string rectStyle(const ui::Control& c) {
    return "left:" + px(ui::pixels(c.left)) + ";top:" + px(ui::pixels(c.top)) + ";width:" +
           px(ui::pixels(c.width)) + ";height:" + px(ui::pixels(c.height)) + ";";
}

// Text for markup, in an element or a quoted attribute.
std::string escape(std::string_view text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += ch;
        }
    }
    return out;
}

std::string controlKey(const ui::Control& c) {
    std::string k(c.name);
    if (c.index >= 0) k += "(" + std::to_string(c.index) + ")";
    return k;
}

// The designed face first, then the free faces of the same style that
// Debian and most phones ship, then the generic family: no web font.
std::string fontStack(const ui::Font& f) {
    const bool mincho = f.fallback.find("Mincho") != std::string_view::npos;
    return "'" + std::string(f.family) + "','" + std::string(f.fallback) + "'," +
           (mincho ? "'IPAexMincho','Noto Serif CJK JP',serif" : "'IPAexGothic','Noto Sans CJK JP',sans-serif");
}

// Mouse buttons as the rules' handlers receive them, from PointerEvent.button
// (touch and a pen's tip are the left button).
std::int16_t buttonCode(int button) {
    switch (button) {
    case 0: return 1;
    case 1: return 4;
    case 2: return 2;
    default: return 0;
    }
}

// The bit of PointerEvent.buttons that stays set while `button` is held.
int buttonBit(int button) {
    constexpr int bits[] = {1, 4, 2, 8, 16};
    return button >= 0 && button < 5 ? bits[button] : 0;
}

std::int16_t shiftCode(bool shift, bool ctrl, bool alt) {
    return static_cast<std::int16_t>((shift ? 1 : 0) | (ctrl ? 2 : 0) | (alt ? 4 : 0));
}

ui::Key keyOf(const EmscriptenKeyboardEvent& e) {
    if (e.ctrlKey || e.altKey || e.metaKey) return ui::Key::Other;
    const std::string_view code(e.code), name(e.key);
    // The digits by their place, main row and keypad alike, whatever NumLock says.
    for (std::string_view row : {std::string_view("Digit"), std::string_view("Numpad")}) {
        if (code.size() == row.size() + 1 && code.starts_with(row) && code.back() >= '1' && code.back() <= '6') {
            return static_cast<ui::Key>(static_cast<int>(ui::Key::Digit1) + (code.back() - '1'));
        }
    }
    if (name == "ArrowLeft") return ui::Key::Left;
    if (name == "ArrowRight") return ui::Key::Right;
    if (name == "ArrowUp") return ui::Key::Up;
    if (name == "ArrowDown") return ui::Key::Down;
    if (name == "Enter") return ui::Key::Return;
    if (name == " ") return ui::Key::Space;
    if (name == "Escape") return ui::Key::Escape;
    return ui::Key::Other;
}

val element(val& document, const char* tag, const char* cls = nullptr) {
    val e = document.call<val>("createElement", val(tag));
    if (cls) e.set("className", val(cls));
    return e;
}

void listen(const val& target, const char* type, const char* handler, bool capture = false) {
    target.call<void>("addEventListener", val(type), val::module_property(handler), val(capture));
}

}  // namespace

void WebHost::ImageBox::show(PictureRef shown) {
    if (shown == picture) return;
    picture = std::move(shown);
    const WebPicture& p = webPicture(picture);
    element.call<void>("setAttribute", val("data-picture"), p.jsName);
    if (described) element.call<void>("setAttribute", val("aria-description"), p.description);
}

WebHost::WebHost(PictureLibrary& pictures)
    : pictures_(pictures),
      document_(val::global("document")),
      desk_(element(document_, "div")),
      form1_(element(document_, "main", "window client")),
      form2_(val::null()),
      outline_(element(document_, "div", "outline")),
      announcer_(element(document_, "div", "announcer")),
      messageBox_(val::null()),
      game_(*this) {
    document_.set("title", val(std::string(ui::kForm1.caption)));
    desk_.set("id", val("desk"));
    form1_.set("id", val("Form1"));
    form1_.call<void>("setAttribute", val("aria-label"), val(std::string(ui::kForm1.caption)));
    buildForm(ui::kForm1, form1_, true);
    // The outline has a card's size (every card has the same).
    const ui::Control& card = ui::controlFor(Imgx(0));
    outline_["style"].set("width", val(px(ui::pixels(card.width))));
    outline_["style"].set("height", val(px(ui::pixels(card.height))));
    form1_.call<void>("appendChild", outline_);
    desk_.call<void>("appendChild", form1_);
    announcer_.call<void>("setAttribute", val("aria-live"), val("assertive"));
    val body = document_["body"];
    body.call<void>("appendChild", desk_);
    body.call<void>("appendChild", announcer_);
}

// The window's controls are written as markup and parsed by the page in one
// go: much cheaper than an element at a time through the bindings.
void WebHost::buildForm(const ui::Form& form, val client, bool mainWindow) {
    std::string style = "width:" + px(ui::pixels(form.clientWidth)) + ";height:" + px(ui::pixels(form.clientHeight)) + ";";
    std::string background = "transparent";
    if (form.background) {
        background = "rgb(" + std::to_string(form.background->r) + "," + std::to_string(form.background->g) + "," +
                     std::to_string(form.background->b) + ")";
        style += "background:" + background + ";";
    }
    client["style"].set("cssText", val(style));

    std::string html;
    for (const ui::Control& c : form.controls) {
        std::string css = rectStyle(c);
        std::string attributes;
        switch (c.kind) {
        case ui::Kind::Image: {
            const auto control = mainWindow ? ui::imageControlOf(c) : std::nullopt;
            const PictureRef picture = pictures_.get(c.picture);
            html += c.stretch ? "<div class=\"image stretch\"" : "<div class=\"image\"";
            // The browser reports when each picture is first painted (see start).
            attributes += " elementtiming=\"picture\" data-picture=\"" + webPicture(picture).name + "\"";
            if (control && (control->array == ImageArray::Imgx || control->array == ImageArray::Slot)) {
                const bool card = control->array == ImageArray::Imgx;
                attributes += std::string(card ? " data-card=\"" : " data-slot=\"") + std::to_string(control->index) +
                              "\" aria-description=\"" + escape(ui::pictureDescription(c.picture)) + "\"";
            }
            if (!c.accessibleName.empty()) attributes += " role=\"img\"";
            if (control) boxes_[*control] = ImageBox{val::undefined(), picture, false};
            break;
        }
        case ui::Kind::Label:
            html += "<div class=\"label\"";
            css += "font:" + std::to_string(ui::fontPixels(c.font->points)) + "px " + fontStack(*c.font) +
                   ";line-height:" + px(ui::pixels(c.height)) + ";background:" + background + ";";
            break;
        case ui::Kind::Button: {
            const bool tabStop = std::find(form.tabOrder.begin(), form.tabOrder.end(), c.name) != form.tabOrder.end();
            html += "<button type=\"button\"";
            attributes += tabStop ? " tabindex=\"0\"" : " tabindex=\"-1\"";
            break;
        }
        case ui::Kind::Store:
            if (const auto control = ui::imageControlOf(c); control && mainWindow) {
                stores_[*control] = pictures_.get(c.picture);
            }
            continue;
        case ui::Kind::Timer:
            continue;
        }
        html += " data-control=\"" + escape(controlKey(c)) + "\" style=\"" + css + "\"" + attributes;
        if (!c.accessibleName.empty()) html += " aria-label=\"" + escape(c.accessibleName) + "\"";
        html += ">" + escape(c.text) + (c.kind == ui::Kind::Button ? "</button>" : "</div>");
    }
    client.set("innerHTML", val(html));

    // The elements the host acts on.
    val children = client["children"];
    int at = 0;
    for (const ui::Control& c : form.controls) {
        if (c.kind == ui::Kind::Store || c.kind == ui::Kind::Timer) continue;
        val e = children[at++];
        if (const auto control = mainWindow ? ui::imageControlOf(c) : std::nullopt; control && c.kind == ui::Kind::Image) {
            ImageBox& b = boxes_.at(*control);
            b.element = e;
            b.described = control->array == ImageArray::Imgx || control->array == ImageArray::Slot;
        } else if (c.kind == ui::Kind::Button) {
            buttons_.emplace(std::string(c.name), e);
            listen(e, "click", "onButtonClick");
        }
    }
    for (std::string_view name : form.tabOrder) tabOrder_.push_back(buttons_.at(std::string(name)));
}

void WebHost::start() {
    listen(form1_, "pointerdown", "onCardPointerDown");
    listen(form1_, "pointermove", "onPointerMove");
    listen(form1_, "pointerup", "onPointerUp");
    listen(form1_, "pointercancel", "onPointerCancel");
    listen(form1_, "lostpointercapture", "onPointerCancel");
    listen(desk_, "pointerdown", "onWindowPointerDown", true);
    // No menu from a right click or a long touch on the game.
    listen(desk_, "contextmenu", "preventDefault");
    // Only the buttons take the focus, as on the desktop: a press elsewhere
    // leaves it where it was.
    listen(desk_, "mousedown", "keepFocus");
    listen(val::global("window"), "error", "onPageError");
    emscripten_set_keydown_callback(
        EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true,
        [](int, const EmscriptenKeyboardEvent* e, void* host) -> EM_BOOL {
            return static_cast<WebHost*>(host)->keyDown(*e);
        });
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, false,
                                   [](int, const EmscriptenUiEvent*, void* host) -> EM_BOOL {
                                       static_cast<WebHost*>(host)->layOut();
                                       return false;
                                   });
    layOut();

    buttons_.at("Command1").call<void>("focus");

    // The browser tells when each picture of the main window is first painted.
    paintObserver_ = observePaints();
}

void WebHost::picturesPainted(val entries) {
    const val list = entries.call<val>("getEntries");
    const int count = list["length"].as<int>();
    for (int i = 0; i < count; ++i) {
        const val entry = list[i];
        drawnAt_ = std::max(drawnAt_, entry["renderTime"].as<double>());
        ++picturesPainted_;
    }
    const auto& controls = ui::kForm1.controls;
    const auto shown = std::count_if(controls.begin(), controls.end(), [](const ui::Control& c) {
        return c.kind == ui::Kind::Image;
    });
    if (picturesPainted_ < shown || paintObserver_.isNull()) return;
    paintObserver_.call<void>("disconnect");
    paintObserver_ = val::null();
    document_["documentElement"].call<void>("setAttribute", val("data-drawn-ms"), val(drawnAt_));
}

void WebHost::dispatch(const char* what, const std::function<void()>& handler) {
    if (failed_) return;  // the game has ended; its state is no longer trusted
    const double started = emscripten_performance_now();
    const char* outer = dispatching_;
    dispatching_ = what;
    try {
        handler();
    } catch (const std::exception& e) {
        fail(what, e.what());
        return;
    } catch (...) {
        fail(what, "不明なエラーです。");
        return;
    }
    dispatching_ = outer;
    auto& times = times_[what];
    if (times.size() == 256) times.erase(times.begin());
    times.push_back(emscripten_performance_now() - started);
}

// An exception of the page's own (a DOM call that failed) passes through the
// program uncaught and reaches the window as an error event. Raised while an
// event was being handled, it is that handler's failure.
void WebHost::pageError(val event) {
    if (!dispatching_ || failed_) return;
    const val error = event["error"];
    const bool described = !error.isNull() && !error.isUndefined() && error["message"].isString();
    fail(dispatching_, (described ? error["message"] : event["message"]).as<std::string>());
    event.call<void>("preventDefault");
}

// The desktop hosts report the failure and end the program; the page reports
// it and takes no more input.
void WebHost::fail(const char* what, const std::string& why) {
    failed_ = true;
    dispatching_ = nullptr;
    try {
        endDrag();
        setTimerInterval(0);
    } catch (...) {
        // Reporting the first failure matters more than tidying up after it.
    }
    desk_.set("inert", val(true));
    val report = element(document_, "div", "failure");
    report.call<void>("setAttribute", val("role"), val("alert"));
    report.set("textContent", val("「" + std::string(what) + "」の処理でエラーが発生しました。\n" + why + "\nゲームを終了します。"));
    document_["body"].call<void>("appendChild", report);
}

val WebHost::handlerTimes() const {
    val all = val::object();
    for (const auto& [what, times] : times_) {
        val list = val::array();
        for (double t : times) list.call<void>("push", val(t));
        all.set(what, list);
    }
    return all;
}

// --- Host ---

WebHost::ImageBox* WebHost::box(ImageControl control) {
    auto it = boxes_.find(control);
    return it == boxes_.end() ? nullptr : &it->second;
}

PictureRef WebHost::picture(ImageControl control) {
    if (auto it = stores_.find(control); it != stores_.end()) return it->second;
    if (ImageBox* b = box(control)) return b->picture;
    throw std::out_of_range("no such image control");
}

void WebHost::setPicture(ImageControl control, PictureRef picture) {
    ImageBox* b = box(control);
    if (!b) throw std::out_of_range("the rules may only change shown image controls");
    if (!picture) throw std::invalid_argument("an image control cannot show nothing");
    b->show(std::move(picture));
}

void WebHost::beginDrag(std::int16_t card) {
    if (pendingPress_.card != card) throw std::logic_error("a drag begins only from the card being pressed");
    drag_ = pendingPress_;
    outline_["style"].set("display", val("block"));
    if (drag_.keyboard) {
        holdOver(ui::kFirstKeyboardSlot);
        return;
    }
    // Moves and the release come to the card wherever the pointer goes.
    box(Imgx(card))->element.call<void>("setPointerCapture", val(drag_.pointerId));
    const ui::Control& c = ui::controlFor(Imgx(card));
    placeOutline(ui::pixels(c.left), ui::pixels(c.top));
}

void WebHost::setTimerInterval(std::int32_t milliseconds) {
    if (milliseconds < 0) throw std::invalid_argument("negative timer interval");
    if (timer_) emscripten_clear_interval(timer_);
    timer_ = 0;
    // Setting it again starts the countdown anew.
    if (milliseconds > 0) {
        timer_ = emscripten_set_interval(
            [](void* host) {
                auto* self = static_cast<WebHost*>(host);
                self->dispatch("Timer1", [self] { self->game_.Timer1_Timer(); });
            },
            milliseconds, this);
    }
}

// A page cannot wait for the player inside a handler, so this shows the box
// and returns at once. That is the same to the player as the desktop's box:
// the only caller, Command2_Click, ends with this call, so nothing the rules
// do waits on the box being closed. The box is modal (showModal makes the
// rest of the page inert, and keys go to it), so the main window takes no
// input until it is closed, as on the desktop.
void WebHost::messageBox(std::u16string_view prompt, std::u16string_view title) {
    if (messageBox_.isNull()) {
        messageBox_ = element(document_, "dialog", "message");
        messageBox_.call<void>("setAttribute", val("role"), val("alertdialog"));
        messageBox_.call<void>("setAttribute", val("aria-labelledby"), val("message-title"));
        messageBox_.call<void>("setAttribute", val("aria-describedby"), val("message-text"));
        messageBox_.set("innerHTML", val("<div class=\"titlebar\" id=\"message-title\"></div>"
                                         "<p id=\"message-text\"></p>"
                                         "<form method=\"dialog\"><button autofocus>OK</button></form>"));
        document_["body"].call<void>("appendChild", messageBox_);
    }
    if (messageBox_["open"].as<bool>()) throw std::logic_error("a message box is already open");
    messageBox_.call<val>("querySelector", val(".titlebar")).set("textContent", val(std::u16string(title)));
    messageBox_.call<val>("querySelector", val("p")).set("textContent", val(std::u16string(prompt)));
    messageBox_.call<void>("showModal");
}

void WebHost::randomize() { random_.reseed(); }

float WebHost::rnd() { return random_.next(); }

void WebHost::showWindow(WindowName window) {
    if (window != WindowName::Form2) throw std::invalid_argument("unknown window");
    const ui::Form& f = ui::kForm2;
    if (form2_.isNull()) {
        val frame = element(document_, "section", "window frame");
        frame.set("id", val("Form2"));
        frame.set("hidden", val(true));
        frame.call<void>("setAttribute", val("role"), val("dialog"));
        frame.call<void>("setAttribute", val("aria-labelledby"), val("Form2-title"));
        val title = element(document_, "div", "titlebar");
        val caption = element(document_, "span");
        caption.set("id", val("Form2-title"));
        caption.set("textContent", val(std::string(f.caption)));
        val close = element(document_, "button", "close");
        close.set("type", val("button"));
        close.set("tabIndex", val(-1));
        close.set("textContent", val(std::string("×")));  // val(const char*) reads Latin-1
        close.call<void>("setAttribute", val("aria-label"), val(std::string("閉じる")));
        close.call<void>("setAttribute", val("data-control"), val("close"));
        title.call<void>("appendChild", caption);
        title.call<void>("appendChild", close);
        val client = element(document_, "div", "client");
        buildForm(f, client, false);
        frame.call<void>("appendChild", title);
        frame.call<void>("appendChild", client);
        listen(close, "click", "onButtonClick");
        listen(title, "pointerdown", "onTitlePointerDown");
        listen(title, "pointermove", "onPointerMove");
        listen(title, "pointerup", "onPointerUp");
        listen(title, "pointercancel", "onPointerCancel");
        desk_.call<void>("appendChild", frame);
        form2_ = frame;
    }
    if (!form2_["hidden"].as<bool>()) return;
    // Opened again, it is back at its designed place even if the player moved it.
    form2_.set("hidden", val(false));
    placeForm2(ui::pixels(*f.left), ui::pixels(*f.top));
    raise(form2_);
}

// --- windows on the desk ---

void WebHost::layOut() {
    // Scaled down, proportions kept, where the page is smaller than the main
    // window; never up. Both windows stand on the desk and scale with it.
    const double width = val::global("innerWidth").as<double>();
    const double height = val::global("innerHeight").as<double>();
    const double w1 = ui::pixels(ui::kForm1.clientWidth), h1 = ui::pixels(ui::kForm1.clientHeight);
    scale_ = std::min({1.0, width / w1, height / h1});
    deskWidth_ = width / scale_;
    deskHeight_ = height / scale_;
    val style = desk_["style"];
    style.set("width", val(px(deskWidth_)));
    style.set("height", val(px(deskHeight_)));
    style.set("transform", val("scale(" + std::to_string(scale_) + ")"));
    form1Left_ = static_cast<int>((deskWidth_ - w1) / 2);
    form1Top_ = static_cast<int>((deskHeight_ - h1) / 2);
    form1_["style"].set("left", val(px(form1Left_)));
    form1_["style"].set("top", val(px(form1Top_)));
    if (!form2_.isNull() && !form2_["hidden"].as<bool>()) placeForm2(form2Left_, form2Top_);
}

// Puts Form2's client area at (left, top) of the desk, keeping its whole frame
// on the desk, so its title bar and close button can always be reached.
void WebHost::placeForm2(double left, double top) {
    const double frameWidth = ui::pixels(ui::kForm2.clientWidth) + 2 * kBorder;
    const double frameHeight = ui::pixels(ui::kForm2.clientHeight) + kTitleBar + 2 * kBorder;
    form2Left_ = std::clamp(left, double{kBorder}, std::max(double{kBorder}, deskWidth_ - frameWidth + kBorder));
    form2Top_ = std::clamp(top, double{kBorder + kTitleBar},
                           std::max(double{kBorder + kTitleBar}, deskHeight_ - frameHeight + kBorder + kTitleBar));
    val style = form2_["style"];
    style.set("left", val(px(form2Left_ - kBorder)));
    style.set("top", val(px(form2Top_ - kBorder - kTitleBar)));
}

void WebHost::raise(val window) {
    // The window last pressed stands in front, as on a desktop.
    (window.strictlyEquals(form1_) ? form1Z_ : form2Z_) = ++front_;
    window["style"].set("zIndex", val(front_));
}

void WebHost::windowPointerDown(val event) {
    dispatch("マウス", [&] {
        // Any press of a pointer ends a drag by the keys first, as Escape does.
        if (drag_.keyboard) endDrag();
        val window = event["target"].call<val>("closest", val(".window"));
        if (!window.isNull()) raise(window);
    });
}

void WebHost::titlePointerDown(val event) {
    dispatch("ウィンドウ", [&] {
        if (!event["target"].call<val>("closest", val("button")).isNull()) return;  // the close button
        event.call<void>("preventDefault");
        move_.pointerId = event["pointerId"].as<int>();
        move_.grabX = event["clientX"].as<double>() / scale_ - form2Left_;
        move_.grabY = event["clientY"].as<double>() / scale_ - form2Top_;
        event["currentTarget"].call<void>("setPointerCapture", val(move_.pointerId));
    });
}

void WebHost::buttonClick(val event) {
    const std::string name = event["currentTarget"].call<std::string>("getAttribute", val("data-control"));
    // While a card is held the keys and the pointer belong to it: no button
    // is pressed then (a second finger, or Space on the focused button).
    if (drag_.card >= 0) return;
    if (name == "Command1") {
        dispatch("START", [this] { game_.Command1_Click(); });
    } else if (name == "Command2") {
        dispatch("O  K", [this] { game_.Command2_Click(); });
    } else if (name == "close") {
        dispatch("ウィンドウ", [this] { form2_.set("hidden", val(true)); });
    }
}

// --- the drag ---

std::pair<double, double> WebHost::toForm1(double clientX, double clientY) const {
    return {clientX / scale_ - form1Left_, clientY / scale_ - form1Top_};
}

void WebHost::cardPointerDown(val event) {
    const val card = event["target"].call<val>("getAttribute", val("data-card"));
    if (card.isNull()) return;
    // Nothing else for this press: no selection, no scrolling, no focus change.
    event.call<void>("preventDefault");
    dispatch("マウス", [&] {
        if (drag_.card >= 0) return;  // another pointer while dragging
        const int button = event["button"].as<int>();
        Drag press;
        press.card = static_cast<std::int16_t>(std::stoi(card.as<std::string>()));
        press.pointerId = event["pointerId"].as<int>();
        press.buttonBit = buttonBit(button);
        // Where in the card it was pressed, in the card's own unscaled pixels.
        press.grabX = event["offsetX"].as<double>();
        press.grabY = event["offsetY"].as<double>();
        cardPressed(press.card, press, buttonCode(button),
                    shiftCode(event["shiftKey"].as<bool>(), event["ctrlKey"].as<bool>(), event["altKey"].as<bool>()),
                    press.grabX * ui::kTwipsPerPixel, press.grabY * ui::kTwipsPerPixel);
    });
}

void WebHost::cardPressed(std::int16_t card, const Drag& press, std::int16_t button, std::int16_t shift, double x,
                          double y) {
    pendingPress_ = press;
    try {
        game_.Imgx_MouseDown(card, button, shift, static_cast<float>(x), static_cast<float>(y));
    } catch (...) {
        pendingPress_ = {};
        throw;
    }
    pendingPress_ = {};
}

void WebHost::pointerMove(val event) {
    const int id = event["pointerId"].as<int>();
    if (move_.pointerId == id) {
        dispatch("ウィンドウ", [&] {
            placeForm2(event["clientX"].as<double>() / scale_ - move_.grabX,
                       event["clientY"].as<double>() / scale_ - move_.grabY);
        });
        return;
    }
    if (drag_.card < 0 || drag_.keyboard || drag_.pointerId != id) return;
    dispatch("ドラッグ", [&] {
        const double clientX = event["clientX"].as<double>(), clientY = event["clientY"].as<double>();
        // The dragging button let go while another is still held.
        if ((event["buttons"].as<int>() & drag_.buttonBit) == 0) return releaseAt(clientX, clientY);
        const auto [x, y] = toForm1(clientX, clientY);
        placeOutline(x - drag_.grabX, y - drag_.grabY);
    });
}

void WebHost::pointerUp(val event) {
    const int id = event["pointerId"].as<int>();
    if (move_.pointerId == id) {
        move_ = {};
        return;
    }
    if (drag_.card < 0 || drag_.keyboard || drag_.pointerId != id) return;
    if ((event["buttons"].as<int>() & drag_.buttonBit) != 0) return;  // another button let go
    dispatch("ドロップ", [&] { releaseAt(event["clientX"].as<double>(), event["clientY"].as<double>()); });
}

void WebHost::pointerCancel(val event) {
    const int id = event["pointerId"].as<int>();
    if (move_.pointerId == id) move_ = {};
    // The page took the pointer away (a gesture, a lost capture): no drop.
    if (drag_.card >= 0 && !drag_.keyboard && drag_.pointerId == id) dispatch("ドラッグ", [this] { endDrag(); });
}

void WebHost::releaseAt(double clientX, double clientY) {
    endDrag(true);
    const int slot = slotAt(clientX, clientY);
    if (slot < 0) return;  // released anywhere but a slot: nothing happens
    (game_.*kSlotDrops.at(static_cast<std::size_t>(slot)))();
}

void WebHost::endDrag(bool released) {
    if (drag_.card < 0) return;
    const Drag ended = drag_;
    drag_ = {};
    outline_["style"].set("display", val("none"));
    if (ended.keyboard) announcer_.set("textContent", val(""));
    // A pointer let go releases its capture by itself.
    if (!ended.keyboard && !released) {
        val card = box(Imgx(ended.card))->element;
        if (card.call<bool>("hasPointerCapture", val(ended.pointerId))) {
            card.call<void>("releasePointerCapture", val(ended.pointerId));
        }
    }
}

void WebHost::placeOutline(double left, double top) {
    val style = outline_["style"];
    style.set("left", val(px(left)));
    style.set("top", val(px(top)));
}

void WebHost::holdOver(int slot) {
    drag_.slot = slot;
    const ui::Control& c = ui::controlFor(Slot(slot));
    placeOutline(ui::pixels(c.left), ui::pixels(c.top));
    // Said at once to a screen reader: where the card is and what is there now.
    announcer_.set("textContent", val(ui::spokenText(ui::slotName(slot), webPicture(box(Slot(slot))->picture).name)));
}

int WebHost::slotAt(double clientX, double clientY) const {
    // The topmost thing there, found from the layouts the windows were built
    // from: a slot hidden by the other window takes no drop. (The message
    // box is modal: no card is held while it is open.)
    const double x = clientX / scale_, y = clientY / scale_;
    if (!form2_.isNull() && !form2_["hidden"].as<bool>() && form2Z_ > form1Z_ &&
        x >= form2Left_ - kBorder && x < form2Left_ + ui::pixels(ui::kForm2.clientWidth) + kBorder &&
        y >= form2Top_ - kBorder - kTitleBar && y < form2Top_ + ui::pixels(ui::kForm2.clientHeight) + kBorder) {
        return -1;
    }
    const auto [fx, fy] = toForm1(clientX, clientY);
    if (fx < 0 || fy < 0 || fx >= ui::pixels(ui::kForm1.clientWidth) || fy >= ui::pixels(ui::kForm1.clientHeight)) {
        return -1;
    }
    const auto& controls = ui::kForm1.controls;
    for (auto c = controls.rbegin(); c != controls.rend(); ++c) {
        if (c->kind == ui::Kind::Store || c->kind == ui::Kind::Timer) continue;  // never shown
        const double left = ui::pixels(c->left), top = ui::pixels(c->top);
        if (fx >= left && fx < left + ui::pixels(c->width) && fy >= top && fy < top + ui::pixels(c->height)) {
            const auto control = ui::imageControlOf(*c);
            return control && control->array == ImageArray::Slot ? control->index : -1;
        }
    }
    return -1;
}

// --- keys ---

bool WebHost::keyDown(const EmscriptenKeyboardEvent& event) {
    if (failed_) return false;
    if (!messageBox_.isNull() && messageBox_["open"].as<bool>()) return false;  // the box's own keys
    const bool mouseDrag = drag_.card >= 0 && !drag_.keyboard;
    const ui::KeyCommand command = ui::keyCommand(keyOf(event), drag_.keyboard ? drag_.slot : -1, mouseDrag);
    bool handled = false;
    dispatch("キー", [&] {
        using A = ui::KeyCommand::Action;
        handled = true;
        switch (command.action) {
        case A::PassOn:
            // Tab goes round the window's tab order only, as in a desktop window.
            handled = std::string_view(event.key) == "Tab" && !event.ctrlKey && !event.altKey && !event.metaKey;
            if (handled && !tabOrder_.empty()) {
                const val focused = document_["activeElement"];
                const int n = static_cast<int>(tabOrder_.size());
                int at = -1;
                for (int i = 0; i < n; ++i) {
                    if (tabOrder_[static_cast<std::size_t>(i)].strictlyEquals(focused)) at = i;
                }
                const int next = event.shiftKey ? (at <= 0 ? n - 1 : at - 1) : (at + 1) % n;
                tabOrder_[static_cast<std::size_t>(next)].call<void>("focus");
            }
            break;
        case A::Swallow:
            break;
        case A::PickUp: {
            endDrag();  // a second digit takes up that card instead
            const ui::Control& c = ui::controlFor(Imgx(command.target));
            Drag press;
            press.card = static_cast<std::int16_t>(command.target);
            press.keyboard = true;
            // Pressed in the middle, with the left button.
            cardPressed(press.card, press, 1, shiftCode(event.shiftKey, false, false), c.width / 2.0, c.height / 2.0);
            break;
        }
        case A::Move:
            holdOver(command.target);
            break;
        case A::Drop:
            endDrag();
            (game_.*kSlotDrops.at(static_cast<std::size_t>(command.target)))();
            break;
        case A::PutBack:
            endDrag();
            break;
        case A::Click: {
            // The focused button of the main window, pressed as Space would.
            const val focused = document_["activeElement"];
            handled = false;
            for (auto& [name, button] : buttons_) {
                if (button.strictlyEquals(focused)) {
                    button.call<void>("click");
                    handled = true;
                }
            }
            break;
        }
        }
    });
    return handled;
}

}  // namespace poromea::web
