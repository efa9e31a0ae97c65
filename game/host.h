// The services the game's rules need from a window system. The rules are
// written against this interface only, so they run the same under Qt, under
// Win32 and under the recording host of the tests.
//
// Every operation either succeeds or throws; the rules never catch, so a
// failure ends the handler that met it and reaches the host's dispatcher.
#pragma once

#include <compare>
#include <cstdint>
#include <memory>

namespace poromea {

// A picture object held by an image control. Reading a control's picture and
// giving it to another control shares the object: nothing is copied.
class Picture {
public:
    virtual ~Picture() = default;
};
using PictureRef = std::shared_ptr<const Picture>;

// The image controls the rules reach. Imgx, Imga and Imgb are control arrays
// (index 0..5); Imgc is single; Slot k is the drop slot Image10 + k.
enum class ImageArray : std::uint8_t { Imgx, Imga, Imgb, Imgc, Slot };

struct ImageControl {
    ImageArray array;
    std::int16_t index;  // 0 for Imgc

    // Ordered, so hosts can keep their controls in maps by it.
    friend auto operator<=>(const ImageControl&, const ImageControl&) = default;
};

// Windows the rules open on demand.
enum class WindowName : std::uint8_t { Form2 };

// The message boxes the rules show, by what they say (their words: form1.h).
enum class Message : std::uint8_t { Wrong };

class Host {
public:
    virtual ~Host() = default;

    // Picture get / set. A control's picture is never null.
    virtual PictureRef picture(ImageControl control) = 0;
    virtual void setPicture(ImageControl control, PictureRef picture) = 0;

    // Starts a manual drag of card Imgx(card) and returns at once; a release
    // over a slot arrives later as that slot's drop event.
    virtual void beginDrag(std::int16_t card) = 0;

    // Interval of Timer1 in milliseconds: non-zero ticks after that time and
    // again every interval, 0 stops it.
    virtual void setTimerInterval(std::int32_t milliseconds) = 0;

    // Modal message box with one OK button and no icon; returns when closed.
    virtual void messageBox(Message message) = 0;

    // Re-seeds the generator from the system clock.
    virtual void randomize() = 0;
    // Next pseudo-random single-precision value, uniform in [0, 1).
    virtual float rnd() = 0;

    // Creates the window on first use and makes it visible without waiting.
    // An open window stays as it is; there is never a second one.
    virtual void showWindow(WindowName window) = 0;
};

}  // namespace poromea
