#include "host/web/markup.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "ui/access.h"
#include "ui/interaction.h"
#include "ui/layout.h"

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
        case '\n': out += "&#10;"; break;  // the markup is written into index.html as one line
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

std::string background(const ui::Form& form) {
    if (!form.background) return "transparent";
    return "rgb(" + std::to_string(form.background->r) + "," + std::to_string(form.background->g) + "," +
           std::to_string(form.background->b) + ")";
}

}  // namespace

std::string px(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fpx", value);
    return text;
}

std::string clientStyle(const ui::Form& form) {
    std::string style = "width:" + px(ui::pixels(form.clientWidth)) + ";height:" + px(ui::pixels(form.clientHeight)) + ";";
    if (form.background) style += "background:" + background(form) + ";";
    return style;
}

std::string controlsMarkup(const ui::Form& form) {
    std::string html, buttons;
    for (const ui::Control& c : form.controls) {
        std::string& into = c.kind == ui::Kind::Button ? buttons : html;
        std::string css = rectStyle(c);
        std::string attributes;
        std::string inner = escape(c.text);
        switch (c.kind) {
        case ui::Kind::Image: {
            into += c.stretch ? "<div class=\"image stretch\"" : "<div class=\"image\"";
            // The browser reports when each picture is first painted (host/web/probes.h).
            attributes += " elementtiming=\"picture\" data-picture=\"" + escape(c.picture) + "\"";
            if (c.image && (c.image->array == ImageArray::Imgx || c.image->array == ImageArray::Slot)) {
                const bool card = c.image->array == ImageArray::Imgx;
                attributes += std::string(card ? " data-card=\"" : " data-slot=\"") +
                              std::to_string(c.image->index) + "\" aria-description=\"" +
                              escape(ui::openingDescription(*c.image)) + "\"";
            }
            if (!c.accessibleName.empty()) attributes += " role=\"img\"";
            break;
        }
        case ui::Kind::Label:
            into += "<div class=\"label\"";
            css += "font:" + std::to_string(ui::fontPixels(c.font->points)) + "px " + fontStack(*c.font) +
                   ";line-height:" + px(c.pixelRect().height) + ";background:" + background(form) + ";";
            // A screen reader reading the page reads the label as it sounds; the eye, as it is written.
            if (const std::string_view heard = ui::reading(c.text); heard != c.text) {
                inner = "<span aria-hidden=\"true\">" + inner + "</span><span class=\"reading\">" + escape(heard) + "</span>";
            }
            break;
        case ui::Kind::Button: {
            const bool tabStop = std::find(form.tabOrder.begin(), form.tabOrder.end(), c.id) != form.tabOrder.end();
            into += "<button type=\"button\"";
            attributes += tabStop ? " tabindex=\"0\"" : " tabindex=\"-1\"";
            if (!c.description.empty()) attributes += " aria-description=\"" + escape(c.description) + "\"";
            break;
        }
        }
        into += " data-control=\"" + escape(c.key()) + "\" style=\"" + css + "\"" + attributes;
        if (!c.accessibleName.empty()) into += " aria-label=\"" + escape(c.accessibleName) + "\"";
        into += ">" + inner + (c.kind == ui::Kind::Button ? "</button>" : "</div>");
    }
    // The buttons stand together in a toolbar, which leaves no box of its own: as the focus comes to one of them,
    // Orca passes the keys to the game (the digits, the arrows, Return) instead of reading the page by them, however
    // the focus came there.
    return buttons.empty() ? html : html + "<div role=\"toolbar\" class=\"commands\">" + buttons + "</div>";
}

std::string deskMarkup() {
    const std::string caption = escape(ui::kForm1.caption);
    // The start-up script reports a program that did not arrive with the same words as the program would.
    // To a screen reader the desk is an application that takes its own keys (the digits, the arrows, Return): in it
    // Orca keeps passing them to the game as the focus moves on from a button, to the congratulation window.
    // How it is played follows the window, so that reading the page says it after the window's controls.
    return "<div id=\"desk\" role=\"application\" aria-label=\"" + caption + "\" data-cannot-start=\"" +
           escape(ui::startFailureMessage("")) + "\"><main class=\"window client\" id=\"Form1\" aria-label=\"" + caption +
           "\" style=\"" + clientStyle(ui::kForm1) + "\">" + controlsMarkup(ui::kForm1) + "</main><p class=\"reading\">" +
           escape(ui::kKeysHint) + "</p></div>";
}

std::string deskStyle() {
    // tan(atan2(a, b)) is a / b as a plain number, which CSS cannot divide lengths into.
    const std::string w = px(ui::pixels(ui::kForm1.clientWidth)), h = px(ui::pixels(ui::kForm1.clientHeight));
    return "#desk{--fit:min(1,tan(atan2(100dvw," + w + ")),tan(atan2(100dvh," + h + ")));"
           "width:calc(100dvw / var(--fit));height:calc(100dvh / var(--fit));transform:scale(var(--fit))}"
           "#Form1{left:round(down,(100dvw / var(--fit) - " + w + ") / 2,1px);"
           "top:round(down,(100dvh / var(--fit) - " + h + ") / 2,1px)}";
}

}  // namespace poromea::web
