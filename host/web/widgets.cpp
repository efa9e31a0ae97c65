#include "host/web/widgets.h"

#include <algorithm>
#include <cstdio>

#include "ui/access.h"

namespace poromea::web {
namespace {

std::string rectStyle(const ui::Control& c) {
    const ui::PixelRect r = c.pixelRect();
    return "left:" + px(r.left) + ";top:" + px(r.top) + ";width:" + px(r.width) + ";height:" + px(r.height) + ";";
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

// The designed face first, then the free faces of the same style that
// Debian and most phones ship, then the generic family: no web font.
std::string fontStack(const ui::Font& f) {
    const bool mincho = f.fallback.find("Mincho") != std::string_view::npos;
    return "'" + std::string(f.family) + "','" + std::string(f.fallback) + "'," +
           (mincho ? "'IPAexMincho','Noto Serif CJK JP',serif" : "'IPAexGothic','Noto Sans CJK JP',sans-serif");
}

}  // namespace

std::string px(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fpx", value);
    return text;
}

val element(const char* tag, const char* cls) {
    val e = val::global("document").call<val>("createElement", val(tag));
    if (cls) e.set("className", val(cls));
    return e;
}

void listen(const val& target, const char* type, const char* handler, bool capture) {
    target.call<void>("addEventListener", val(type), val::module_property(handler), val(capture));
}

void ImageBox::show(PictureRef shown) {
    if (shown == picture) return;
    picture = std::move(shown);
    const WebPicture& p = webPicture(picture);
    element.call<void>("setAttribute", val("data-picture"), p.jsName);
    if (described) element.call<void>("setAttribute", val("aria-description"), p.description);
}

// The controls are written as markup and parsed by the page in one go: much
// cheaper than an element at a time through the bindings.
BuiltForm buildForm(const ui::Form& form, val client, PictureLibrary& pictures) {
    BuiltForm built;
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
            const PictureRef picture = pictures.get(c.picture);
            html += c.stretch ? "<div class=\"image stretch\"" : "<div class=\"image\"";
            // The browser reports when each picture is first painted (host/web/probes.h).
            attributes += " elementtiming=\"picture\" data-picture=\"" + webPicture(picture).name + "\"";
            if (c.reached && (c.reached->array == ImageArray::Imgx || c.reached->array == ImageArray::Slot)) {
                const bool card = c.reached->array == ImageArray::Imgx;
                attributes += std::string(card ? " data-card=\"" : " data-slot=\"") +
                              std::to_string(c.reached->index) + "\" aria-description=\"" +
                              escape(ui::pictureDescription(c.picture)) + "\"";
            }
            if (!c.accessibleName.empty()) attributes += " role=\"img\"";
            if (c.reached) built.images[*c.reached] = ImageBox{val::undefined(), picture, false};
            break;
        }
        case ui::Kind::Label:
            html += "<div class=\"label\"";
            css += "font:" + std::to_string(ui::fontPixels(c.font->points)) + "px " + fontStack(*c.font) +
                   ";line-height:" + px(c.pixelRect().height) + ";background:" + background + ";";
            break;
        case ui::Kind::Button: {
            const bool tabStop = std::find(form.tabOrder.begin(), form.tabOrder.end(), c.name) != form.tabOrder.end();
            html += "<button type=\"button\"";
            attributes += tabStop ? " tabindex=\"0\"" : " tabindex=\"-1\"";
            if (!c.description.empty()) attributes += " aria-description=\"" + escape(c.description) + "\"";
            break;
        }
        }
        html += " data-control=\"" + escape(c.key()) + "\" style=\"" + css + "\"" + attributes;
        if (!c.accessibleName.empty()) html += " aria-label=\"" + escape(c.accessibleName) + "\"";
        html += ">" + escape(c.text) + (c.kind == ui::Kind::Button ? "</button>" : "</div>");
    }
    client.set("innerHTML", val(html));

    // The elements the host acts on.
    val children = client["children"];
    int at = 0;
    for (const ui::Control& c : form.controls) {
        val e = children[at++];
        if (c.reached) {
            ImageBox& b = built.images.at(*c.reached);
            b.element = e;
            b.described = c.reached->array == ImageArray::Imgx || c.reached->array == ImageArray::Slot;
        } else if (c.kind == ui::Kind::Button) {
            built.buttons.emplace(c.key(), e);
            listen(e, "click", "onButtonClick");
        }
    }
    for (std::string_view name : form.tabOrder) built.tabOrder.push_back(built.buttons.find(name)->second);
    return built;
}

}  // namespace poromea::web
