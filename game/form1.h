// The rules of the game: the state of the main window and its event handlers.
//
// The names are the window designer's, kept so that the rules read as the
// game was first written:
//   Form1     the main window; Form2 the congratulation window
//   Command1  the START button; Command2 the "O  K" button, which checks the face
//   Timer1    the memorising time: it ticks once, and the cards are covered
//   Imgx(i)   card i, in the bottom row: face up after START, covered after the tick
//   Imga(k)   the picture of part k (0 mouth, 1 nose, 2 and 3 the ears, 4 the eye
//             with the mole, 5 the other eye), held out of sight
//   Imgb(j)   the six covers, red with a white digit, held out of sight; they are
//             stored in the order the designer drew them (digits 1 4 2 5 3 6),
//             not by digit, which is why covering a card reads a table
//             (kCoverOfCard) that gives card i the cover with the digit i + 1
//   Imgc      the empty-slot picture, held out of sight
//   Image10 .. Image15  the six slots on the face; slot k is part k's place
//   canDrag   whether a press on a card picks it up (only once the cards are covered)
//   placed    the part last dropped on each slot this game
//
// Beside them the rules say what they know as types (State's last fields,
// shown()), so that what a player is told never depends on a picture's name
// or a message's wording.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "game/host.h"

namespace poromea {

inline constexpr int kParts = 6;                 // cards, part pictures, covers and slots alike
inline constexpr std::int32_t kMemoriseMs = 5000;
inline constexpr std::int16_t kNothing = -1;     // a slot that received no card this game

inline constexpr std::u16string_view kWrongPrompt = u"残念、スタートボタンからやりなおし。";
inline constexpr std::u16string_view kWrongTitle = u"まちがいです。";

// The designer's words of each message box; the wrong answer's is the only one.
struct MessageText {
    std::u16string_view prompt, title;
};
constexpr MessageText textOf(Message) { return {kWrongPrompt, kWrongTitle}; }

// What an image control shows: a slot's empty picture, part `index`, or the
// cover of card `index`.
struct Shown {
    enum class Kind : std::uint8_t { Empty, Part, Back };
    Kind kind = Kind::Empty;
    int index = -1;
};

// How the last check of this game came out.
enum class Outcome : std::uint8_t { None, Right, Wrong };

class Form1 {
public:
    struct State {
        // order[i] is the part dealt to card i, kept as the whole number the
        // shuffle drew; 10 marks an entry not filled yet.
        std::array<float, kParts> order{};
        std::int16_t filled = 0;
        std::int16_t hits = 0;
        std::int16_t canDrag = 0;
        std::int16_t dragIndex = 0;
        std::int16_t dragPart = 0;
        // placed[k] is the part last dropped on slot k in this game, or kNothing.
        std::array<std::int16_t, kParts> placed{kNothing, kNothing, kNothing,
                                                kNothing, kNothing, kNothing};
        // cardOn[k] is the card last dropped on slot k in this game, or kNothing.
        std::array<std::int16_t, kParts> cardOn{kNothing, kNothing, kNothing,
                                                kNothing, kNothing, kNothing};
        Outcome checked = Outcome::None;
        // What the bottom row shows, as the handlers that turn the cards set it:
        // covers before the first deal and from the memorising time's end on,
        // the parts from START.
        enum class Cards : std::uint8_t { Covered, FaceUp };
        Cards cards = Cards::Covered;
        // uncovered[k]: slot k shows the part dropped on it, as O K uncovered it,
        // and not a card's cover: no card has been dropped on it since.
        std::array<bool, kParts> uncovered{};
    };

    // `memoriseMs`: how long the cards stay face up; a player may ask for longer.
    explicit Form1(Host& host, std::int32_t memoriseMs = kMemoriseMs) : host_(host), memoriseMs_(memoriseMs) {}
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Command1 ("START"): empty the slots, deal a fresh order face up, start the memorise time.
    void Command1_Click();
    // Timer1: the memorise time is over; cover the cards and allow dragging.
    void Timer1_Timer();
    // A press on card Imgx(index) with any button starts a drag once dragging is allowed.
    void Imgx_MouseDown(std::int16_t index, std::int16_t button, std::int16_t shift, float x, float y);
    // A card released over a slot.
    void Image10_DragDrop() { dropOnSlot(0); }
    void Image11_DragDrop() { dropOnSlot(1); }
    void Image12_DragDrop() { dropOnSlot(2); }
    void Image13_DragDrop() { dropOnSlot(3); }
    void Image14_DragDrop() { dropOnSlot(4); }
    void Image15_DragDrop() { dropOnSlot(5); }
    // Command2 ("O  K"): uncover the slots and judge the face.
    void Command2_Click();

    const State& state() const { return state_; }
    Shown shown(ImageControl control) const;

private:
    void dropOnSlot(int slot);
    void ShowSuccess();

    Host& host_;
    std::int32_t memoriseMs_;
    State state_;
};

// What `control` shows in `state`: a card face up or covered (as it is
// before the first deal), a slot empty, with a card's cover or, uncovered by
// the check, its part; a store what it holds.
Shown shown(const Form1::State& state, ImageControl control);
bool covered(const Form1::State& state);
// A game is being played: dealt, and neither checked nor over. Before the
// first START and once O K has judged the cards, none is.
bool inProgress(const Form1::State& state);

// The drop handlers of the slots, by slot index: kSlotDrops[k] is Image1k_DragDrop.
using DropHandler = void (Form1::*)();
inline constexpr std::array<DropHandler, kParts> kSlotDrops{
    &Form1::Image10_DragDrop, &Form1::Image11_DragDrop, &Form1::Image12_DragDrop,
    &Form1::Image13_DragDrop, &Form1::Image14_DragDrop, &Form1::Image15_DragDrop};

// Control access with the bounds of the control arrays checked: an index
// outside 0..5 is a fault, never a quiet read of something else.
ImageControl Imgx(int index);
ImageControl Imga(int index);
ImageControl Imgb(int index);
ImageControl Imgc();
ImageControl Slot(int index);  // Image10 + index

}  // namespace poromea
