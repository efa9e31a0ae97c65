#include "host/web/windows.h"

#include "host/web/embedded_pictures.h"
#include "ui/access.h"
#include "ui/windows.h"

#include <algorithm>
#include <stdexcept>

namespace poromea::web {
namespace {

// The congratulation window's frame around its client area, in pixels.
constexpr int kBorder = 1;
constexpr int kTitleBar = 23;

}  // namespace

// The page's build writes the main window into it (host/web/markup.h), so it
// is drawn before the module has loaded; the module takes it as it is. A page
// without it gets the same markup now.
val PageWindows::adoptDesk() {
    val document = val::global("document");
    val desk = document.call<val>("getElementById", val("desk"));
    if (!desk.isNull()) return desk;
    document["body"].call<void>("insertAdjacentHTML", val("afterbegin"), val(deskMarkup()));
    return document.call<val>("getElementById", val("desk"));
}

PageWindows::PageWindows(PictureLibrary& pictures) : desk_(adoptDesk()), form1_(desk_.call<val>("querySelector", val("#Form1"))) {
    val::global("document").set("title", val(std::string(ui::kForm1.caption)));
    form1Controls_ = adoptForm(ui::kForm1, form1_, pictures);
    // A press anywhere reaches the host before what is under it.
    listen(desk_, "pointerdown", "onWindowPointerDown", true);
    // No menu from a right click or a long touch on the game.
    listen(desk_, "contextmenu", "preventDefault");
    // Only the buttons take the focus, as on the desktop: a press elsewhere
    // leaves it where it was.
    listen(desk_, "mousedown", "keepFocus");
}

val PageWindows::focused() const { return val::global("document")["activeElement"]; }

void PageWindows::layOut() {
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

    // The screen's pixels to the desk's: the pictures drawn at or above that density, else the densest.
    // A desk that becomes less dense keeps the pictures it has.
    const double need = val::global("devicePixelRatio").as<double>() * scale_;
    int at = 0, densest = 1;
    for (const DensePicture& p : kDensePictures) {
        densest = std::max(densest, p.density);
        if (p.density >= need - 0.01 && (at == 0 || p.density < at)) at = p.density;
    }
    const int density = need <= 1.01 ? 1 : at ? at : densest;
    if (density <= density_) return;
    density_ = density;
    val files = val::array();
    for (const DensePicture& p : kDensePictures) {
        if (p.density == density) files.call<void>("push", val(std::string(p.file)));
    }
    val::module_property("dense")(density, files);
}

ui::Point PageWindows::inForm1(double clientX, double clientY) const {
    return {clientX / scale_ - form1Left_, clientY / scale_ - form1Top_};
}

bool PageWindows::form2Covers(ui::Point p) const {
    if (form2_.isNull() || form2_["hidden"].as<bool>() || form2Z_ < form1Z_) return false;
    const double x = p.x + form1Left_, y = p.y + form1Top_;  // on the desk
    return x >= form2Left_ - kBorder && x < form2Left_ + ui::pixels(ui::kForm2.clientWidth) + kBorder &&
           y >= form2Top_ - kBorder - kTitleBar && y < form2Top_ + ui::pixels(ui::kForm2.clientHeight) + kBorder;
}

void PageWindows::showForm2(PictureLibrary& pictures, double left, double top) {
    const ui::Form& f = ui::kForm2;
    if (form2_.isNull()) {
        val frame = element("section", "window frame");
        frame.set("id", val("Form2"));
        frame.set("hidden", val(true));
        frame.call<void>("setAttribute", val("role"), val("dialog"));
        frame.call<void>("setAttribute", val("aria-labelledby"), val("Form2-title"));
        val title = element("div", "titlebar");
        val caption = element("span");
        caption.set("id", val("Form2-title"));
        caption.set("textContent", val(std::string(f.caption)));
        val close = element("button", "close");
        close.set("type", val("button"));
        close.set("tabIndex", val(-1));
        close.set("textContent", val(std::string("×")));  // val(const char*) reads Latin-1
        close.call<void>("setAttribute", val("aria-label"), val(std::string(ui::kCloseName)));
        close.call<void>("setAttribute", val("data-control"), val("close"));
        title.call<void>("appendChild", caption);
        title.call<void>("appendChild", close);
        val client = element("div", "client");
        form2Controls_ = buildForm(f, client, pictures);
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
    form2_.set("hidden", val(false));
    placeForm2(left, top);
    raise(form2_);
}

void PageWindows::hideForm2() {
    if (!form2_.isNull()) form2_.set("hidden", val(true));
}

bool PageWindows::shown(ui::Window window) const {
    return window == ui::Window::Main || (!form2_.isNull() && !form2_["hidden"].as<bool>());
}

std::optional<ui::Window> PageWindows::activeWindow() const {
    if (messageOpen()) return std::nullopt;
    return form2HasFocus() ? ui::Window::Congratulation : ui::Window::Main;
}

void PageWindows::focus(const ui::Focus& where) {
    if (where.window == ui::Window::Main) {
        form1Controls_.controls.at(where.control).call<void>("focus");
        return;
    }
    // The banner takes the focus from the program only, not from Tab.
    val control = form2Controls_.controls.at(where.control);
    control.set("tabIndex", val(-1));
    control.call<void>("focus");
}

ui::ControlId PageWindows::focusedControl(ui::Window window) const {
    return window == ui::Window::Congratulation ? form2Controls_.focused(focused()) : form1Controls_.focused(focused());
}

bool PageWindows::form2HasFocus() const {
    return !form2_.isNull() && !form2_["hidden"].as<bool>() &&
           form2_.call<bool>("contains", focused());
}

// Puts Form2's client area at (left, top) of the desk, keeping its whole frame
// on the desk, so its title bar and close button can always be reached.
void PageWindows::placeForm2(double left, double top) {
    const double frameWidth = ui::pixels(ui::kForm2.clientWidth) + 2 * kBorder;
    const double frameHeight = ui::pixels(ui::kForm2.clientHeight) + kTitleBar + 2 * kBorder;
    form2Left_ = std::clamp(left, double{kBorder}, std::max(double{kBorder}, deskWidth_ - frameWidth + kBorder));
    form2Top_ = std::clamp(top, double{kBorder + kTitleBar},
                           std::max(double{kBorder + kTitleBar}, deskHeight_ - frameHeight + kBorder + kTitleBar));
    val style = form2_["style"];
    style.set("left", val(px(form2Left_ - kBorder)));
    style.set("top", val(px(form2Top_ - kBorder - kTitleBar)));
}

// showModal makes the rest of the page inert, and the keys go to the box.
void PageWindows::showMessage(std::u16string_view prompt, std::u16string_view title, std::string_view heard) {
    if (messageBox_.isNull()) {
        messageBox_ = element("dialog", "message");
        messageBox_.call<void>("setAttribute", val("role"), val("alertdialog"));
        messageBox_.call<void>("setAttribute", val("aria-labelledby"), val("message-title"));
        // What a voice reads is the text as it sounds, not the text shown. The box is an application of its own,
        // named by its title and described by its words, which Orca reads as it comes to it. Its button stands in a
        // toolbar, as the main window's do, so that its keys stay the game's.
        messageBox_.set("innerHTML", val("<div role=\"application\" aria-labelledby=\"message-title\" "
                                         "aria-describedby=\"message-heard\"><div class=\"titlebar\" id=\"message-title\"></div>"
                                         "<p id=\"message-text\" aria-hidden=\"true\"></p><p id=\"message-heard\" class=\"reading\"></p>"
                                         "<form method=\"dialog\" role=\"toolbar\"><button autofocus aria-describedby=\"message-title message-heard\">OK</button></form></div>"));
        val::global("document")["body"].call<void>("appendChild", messageBox_);
    }
    messageBox_.call<val>("querySelector", val(".titlebar")).set("textContent", val(std::u16string(title)));
    messageBox_.call<val>("querySelector", val("p")).set("textContent", val(std::u16string(prompt)));
    messageBox_.call<val>("querySelector", val("#message-heard"))
        .set("textContent", heard.empty() ? val(std::u16string(prompt)) : val(std::string(heard)));
    messageBox_.call<void>("showModal");
}

bool PageWindows::messageOpen() const { return !messageBox_.isNull() && messageBox_["open"].as<bool>(); }

std::optional<ui::Window> PageWindows::pressed(val event) {
    val window = event["target"].call<val>("closest", val(".window"));
    if (window.isNull()) return std::nullopt;
    raise(window);
    // A press on a window gives it the keys, as on a desktop.
    const bool onForm2 = !form2_.isNull() && window.strictlyEquals(form2_);
    if (onForm2 == form2HasFocus()) return std::nullopt;
    return onForm2 ? ui::Window::Congratulation : ui::Window::Main;
}

void PageWindows::raise(val window) {
    // The window last pressed stands in front, as on a desktop.
    (window.strictlyEquals(form1_) ? form1Z_ : form2Z_) = ++front_;
    window["style"].set("zIndex", val(front_));
}

void PageWindows::titlePointerDown(val event) {
    if (!event["target"].call<val>("closest", val("button")).isNull()) return;  // the close button
    event.call<void>("preventDefault");
    movingPointer_ = event["pointerId"].as<int>();
    grabX_ = event["clientX"].as<double>() / scale_ - form2Left_;
    grabY_ = event["clientY"].as<double>() / scale_ - form2Top_;
    event["currentTarget"].call<void>("setPointerCapture", val(movingPointer_));
}

bool PageWindows::titlePointerMove(val event) {
    if (movingPointer_ < 0 || event["pointerId"].as<int>() != movingPointer_) return false;
    placeForm2(event["clientX"].as<double>() / scale_ - grabX_, event["clientY"].as<double>() / scale_ - grabY_);
    return true;
}

bool PageWindows::titlePointerEnd(val event) {
    if (movingPointer_ < 0 || event["pointerId"].as<int>() != movingPointer_) return false;
    movingPointer_ = -1;
    return true;
}

void PageWindows::showFailure(std::string_view message) {
    desk_.set("inert", val(true));
    val::module_property("report")(val(std::string(message)));
}

}  // namespace poromea::web
