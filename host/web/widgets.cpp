#include "host/web/widgets.h"

namespace poromea::web {

val element(const char* tag, const char* cls) {
    val e = val::global("document").call<val>("createElement", val(tag));
    if (cls) e.set("className", val(cls));
    return e;
}

void listen(const val& target, const char* type, const char* handler, bool capture) {
    target.call<void>("addEventListener", val(type), val::module_property(handler), val(capture));
}

void ImageBox::show(PictureRef shown, std::string_view description) {
    if (shown == picture) return;
    picture = std::move(shown);
    element.call<void>("setAttribute", val("data-picture"), webPicture(picture).jsName);
    if (described) element.call<void>("setAttribute", val("aria-description"), val(std::string(description)));
}

ui::ControlId BuiltForm::focused(const val& active) const {
    for (const auto& [id, control] : controls) {
        if (control.strictlyEquals(active)) return id;
    }
    return ui::ControlId::None;
}

// The controls are written as markup and parsed by the page in one go: much
// cheaper than an element at a time through the bindings.
BuiltForm buildForm(const ui::Form& form, val client, PictureLibrary& pictures) {
    client["style"].set("cssText", val(clientStyle(form)));
    client.set("innerHTML", val(controlsMarkup(form)));
    return adoptForm(form, client, pictures);
}

BuiltForm adoptForm(const ui::Form& form, val client, PictureLibrary& pictures) {
    BuiltForm built;
    // The elements the host acts on.
    for (const ui::Control& c : form.controls) {
        val e = client.call<val>("querySelector", val("[data-control=\"" + c.key() + "\"]"));
        if (c.kind == ui::Kind::Image) {
            const PictureRef picture = pictures.get(c.picture);
            if (c.image) {
                const bool described = c.image->array == ImageArray::Imgx || c.image->array == ImageArray::Slot;
                built.images[*c.image] = ImageBox{e, picture, described};
            }
        } else if (c.kind == ui::Kind::Button) {
            listen(e, "click", "onButtonClick");
        }
        if (c.id != ui::ControlId::None) built.controls.emplace(c.id, e);
    }
    return built;
}

}  // namespace poromea::web
