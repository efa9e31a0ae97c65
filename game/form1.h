// The rules of the game: the state of the main window and its event handlers.
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

private:
    void dropOnSlot(int slot);
    void ShowSuccess();

    Host& host_;
    std::int32_t memoriseMs_;
    State state_;
};

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
