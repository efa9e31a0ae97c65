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
    client["style"].set("cssText", val(clientStyle(form)));
    client.set("innerHTML", val(controlsMarkup(form)));
    return adoptForm(form, client, pictures);
}

BuiltForm adoptForm(const ui::Form& form, val client, PictureLibrary& pictures) {
    BuiltForm built;
    // The elements the host acts on.
    val children = client["children"];
    int at = 0;
    for (const ui::Control& c : form.controls) {
        val e = children[at++];
        if (c.kind == ui::Kind::Image) {
            const PictureRef picture = pictures.get(c.picture);
            if (c.reached) {
                const bool described = c.reached->array == ImageArray::Imgx || c.reached->array == ImageArray::Slot;
                built.images[*c.reached] = ImageBox{e, picture, described};
            }
        } else if (c.kind == ui::Kind::Button) {
            built.buttons.emplace(c.key(), e);
            listen(e, "click", "onButtonClick");
        }
    }
    for (std::string_view name : form.tabOrder) built.tabOrder.push_back(built.buttons.find(name)->second);
    return built;
}

}  // namespace poromea::web
