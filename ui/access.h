// Playing without a mouse and with a screen reader, decided once for every
// host: what each key does, and how a card or slot is described in words.
// A host only translates its own key codes into `Key` and carries out the
// returned command through the rules' handlers, as a mouse would.
//
// Texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/form1.h"

namespace poromea::ui {

// The keys the game listens to, whatever the window system calls them.
// Digit1..Digit6 come from the main row, and from the keypad while NumLock is
// on; with NumLock off the keypad's keys are what they are then labelled (2,
// 4, 6 and 8 the arrows, 1 End, 3 PgDn, 5 nothing), as the window system
// names them. A key held with Ctrl, Alt or the system's own key is a
// shortcut, never the game's (Controller::keyPressed).
enum class Key : std::uint8_t {
    Other,
    Digit1, Digit2, Digit3, Digit4, Digit5, Digit6,
    Left, Right, Up, Down,
    Return, Space, Escape,
    Tab,  // the window's, never the game's (ui/windows.h)
};

// What a key asks for.
struct KeyCommand {
    enum class Action : std::uint8_t {
        PassOn,   // not the game's key: the window handles it (Tab and the buttons)
        Swallow,  // a card is held: the key belongs to the drag and does nothing
        PickUp,   // press card `target` as the left button would
        Move,     // the held card now stands on slot `target`
        Drop,     // drop the held card on slot `target`
        PutBack,  // let go of the held card without dropping it
        Click,    // press the focused button, as Space does
    };
    Action action = Action::PassOn;
    int target = -1;

    friend bool operator==(const KeyCommand&, const KeyCommand&) = default;
};

// A card held by the keyboard starts on the mouth's slot (Image10).
inline constexpr int kFirstKeyboardSlot = 0;

// `heldSlot` is the slot under a card held by the keyboard, or -1 when no card
// is held by the keyboard. `mouseDrag` is true while the mouse drags a card:
// keys then belong to that drag, and only Escape does something: it puts the
// card back.
KeyCommand keyCommand(Key key, int heldSlot, bool mouseDrag = false);

// The face's own left and right: the eye with the mole, on the viewer's
// left, is the right eye. Part k belongs on slot k. Every word here is
// written as it sounds (kana), so that a voice without kanji says it.
std::string_view partName(int part);   // くち, はな, みぎみみ, ひだりみみ, みぎめ（ほくろ）, ひだりめ
std::string_view slotName(int slot);   // くち, はな, ...: the place of that part
std::string_view cardName(int card);   // カード 1 .. カード 6

// What a card or a slot shows, in words: みぎめ（ほくろ）, カード 2 の うら, あき.
std::string description(Shown shown);
// The same as the window opens, before the rules have run.
std::string openingDescription(ImageControl control);

// What the player is told as it happens, whatever the screen reader.
struct Announcement {
    enum class Kind : std::uint8_t {
        Dealt,      // the cards are face up: `parts` says which part each card shows ("1 くち 2 はな ...")
        Covered,    // the cards are covered and can be taken
        PickedUp,   // card `card` is held; by the keys, over slot `slot` showing `shown`
        MovedOver,  // the card held by the keys is over slot `slot`, which shows `shown`
        Dropped,    // card `card` was dropped on slot `slot`
        PutBack,    // card `card` was let go without a drop
    };
    Kind kind;
    int card = -1;
    int slot = -1;
    Shown shown{};                    // what slot `slot` shows
    std::array<int, 6> parts{};       // Dealt only
};

// The words for it, in kana, short enough to keep pace with the keys: a move
// over a slot says only the place and what it holds ("ひだりみみ カード 3").
std::string words(const Announcement& told);

// How the game is played by the keys, for a screen reader reading the window.
inline constexpr std::string_view kKeysHint =
    "スタートの あと、すうじキーで カードを とり、やじるしキーで うごかし、リターンキーで おきます。";

// The name of a window's own close button, where the window draws one.
inline constexpr std::string_view kCloseName = "とじる";

// A message box's text as a screen reader is given it: the box shows the
// designer's text, with kanji, and a voice reads this instead.
std::string_view spokenMessage(Message message);

// The failure reports, each shown in a box titled as the main window: a
// handler's (named as `what`), and the game's that could not start.
std::string failureMessage(std::string_view what, std::string_view why);
std::string startFailureMessage(std::string_view why);

// How a text a window shows in kanji sounds, for a screen reader that reads the window's text as it
// is (a page read line by line): the labels' readings, in kana. A text written as it sounds is its own.
std::string_view reading(std::string_view shown);

// One line for hosts whose screen readers read a control's text only:
// the control's name and what it shows ("くち あき").
std::string spokenText(std::string_view name, std::string_view description);

}  // namespace poromea::ui
