// The two windows described as data, in the units the designer used: twips
// (1/1440 inch; 15 twips make one pixel at 96 dots per inch). Every host
// builds its windows from these tables and nothing else.
//
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "game/host.h"

namespace poromea::ui {

inline constexpr int kTwipsPerPixel = 15;
constexpr int pixels(int twips) { return twips / kTwipsPerPixel; }
// Font sizes are points; at 96 dots per inch a point is 4/3 pixel.
constexpr int fontPixels(double points) { return static_cast<int>(points * 96.0 / 72.0 + 0.5); }

struct Rgb {
    std::uint8_t r, g, b;
};

struct Font {
    std::string_view family;  // the face the window was designed with
    std::string_view fallback;  // a face with the same look that free systems ship
    double points;
};

enum class Kind : std::uint8_t { Image, Label, Button };

// The controls the game decides by, whatever a window system calls them:
// the two buttons, and the congratulation window's banner, which takes the
// focus as it opens.
enum class ControlId : std::uint8_t { None, Start, Check, Banner };

// A rectangle in the main window's client pixels.
struct PixelRect {
    int left, top, width, height;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The name of a control on every host: "Command1", "Imgx(3)".
std::string controlKey(std::string_view name, int index = -1);

struct Control {
    std::string_view name;  // "Imgx" for all elements of a control array
    int index;              // element index in a control array, -1 for a single control
    Kind kind;
    int left, top, width, height;  // twips, from the client area's top left corner
    std::string_view text = {};    // caption of a label or button
    std::string_view picture = {}; // picture shown at start (resource name)
    bool stretch = false;          // scale the picture to the control
    const Font* font = nullptr;    // labels only; buttons use the system's
    std::string_view accessibleName = {};
    std::string_view description = {};  // told to a screen reader after the name
    std::optional<ImageControl> image = {};    // the image control the rules know it as
    ControlId id = ControlId::None;

    // One name for the control on every host: "Command1", "Imgx(3)".
    std::string key() const { return controlKey(name, index); }
    PixelRect pixelRect() const {
        return {pixels(left), pixels(top), pixels(width), pixels(height)};
    }
};

// A picture the rules read and never show (Imga, Imgb, Imgc).
struct Store {
    ImageControl control;
    std::string_view picture;
};

struct Form {
    std::string_view name;
    std::string_view caption;
    int clientWidth, clientHeight;        // twips
    std::optional<Rgb> background;        // nullopt: the window system's default
    std::optional<int> left, top;         // client area position in twips; nullopt: centred
    std::span<const Control> controls;    // the visible ones, in stacking order, bottom first
    std::span<const ControlId> tabOrder;  // the controls that take focus
    std::span<const Store> stores = {};
};

extern const Form kForm1;
extern const Form kForm2;

// The shown control that the rules know as `control`, in kForm1.
const Control& controlFor(ImageControl control);

}  // namespace poromea::ui
