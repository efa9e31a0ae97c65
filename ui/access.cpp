#include "ui/access.h"

#include "game/form1.h"
#include "ui/layout.h"

#include <array>
#include <stdexcept>

namespace poromea::ui {
namespace {

constexpr int kCount = 6;

// Everything a screen reader is given is written as it sounds, in kana, digits
// and Latin letters: Debian's voice (espeak-ng) reads no kanji, and says
// "Chinese letter" for each one instead.
constexpr std::array<std::string_view, kCount> kPartNames{"くち", "はな", "みぎみみ", "ひだりみみ", "みぎめ（ほくろ）", "ひだりめ"};

void checkIndex(int index) {
    if (index < 0 || index >= kCount) throw std::out_of_range("no part, card or slot with that number");
}

}  // namespace

KeyCommand keyCommand(Key key, int heldSlot, bool mouseDrag) {
    using A = KeyCommand::Action;
    if (mouseDrag) return {key == Key::Escape ? A::PutBack : A::Swallow};
    const bool holding = heldSlot >= 0;
    switch (key) {
    case Key::Digit1: case Key::Digit2: case Key::Digit3:
    case Key::Digit4: case Key::Digit5: case Key::Digit6:
        return {A::PickUp, static_cast<int>(key) - static_cast<int>(Key::Digit1)};
    case Key::Right: case Key::Down:
        return holding ? KeyCommand{A::Move, (heldSlot + 1) % kCount} : KeyCommand{A::PassOn};
    case Key::Left: case Key::Up:
        return holding ? KeyCommand{A::Move, (heldSlot + kCount - 1) % kCount} : KeyCommand{A::PassOn};
    case Key::Return:
        return holding ? KeyCommand{A::Drop, heldSlot} : KeyCommand{A::Click};
    case Key::Space:
        return holding ? KeyCommand{A::Drop, heldSlot} : KeyCommand{A::PassOn};
    case Key::Escape:
        return holding ? KeyCommand{A::PutBack} : KeyCommand{A::PassOn};
    case Key::Other: case Key::Tab:
        break;
    }
    return {holding ? A::Swallow : A::PassOn};
}

std::string_view partName(int part) {
    checkIndex(part);
    return kPartNames[static_cast<std::size_t>(part)];
}
// Cards and slots are named once, in the layout.
std::string_view slotName(int slot) {
    checkIndex(slot);
    return controlFor({ImageArray::Slot, static_cast<std::int16_t>(slot)}).accessibleName;
}
std::string_view cardName(int card) {
    checkIndex(card);
    return controlFor({ImageArray::Imgx, static_cast<std::int16_t>(card)}).accessibleName;
}

std::string description(Shown shown) {
    switch (shown.kind) {
    case Shown::Kind::Part: return std::string(partName(shown.index));
    case Shown::Kind::Back: return std::string(cardName(shown.index)) + " の うら";
    case Shown::Kind::Empty: return "あき";
    }
    return {};
}

std::string openingDescription(ImageControl control) { return description(shown(Form1::State{}, control)); }

namespace {

// A slot as the held card passes it: its place and what it holds, and nothing
// more, since it is said at every step of the arrows. A cover on a slot is
// always a card put there, so the card is enough.
std::string slotAndContent(int slot, Shown shown) {
    const std::string content = shown.kind == Shown::Kind::Back ? std::string(cardName(shown.index)) : description(shown);
    return std::string(slotName(slot)) + " " + content;
}

}  // namespace

std::string words(const Announcement& told) {
    using K = Announcement::Kind;
    switch (told.kind) {
    case K::Dealt: {
        // The card numbers and the parts' names without the mole: all six
        // are said within the memorising time.
        std::string out;
        for (int card = 0; card < kCount; ++card) {
            checkIndex(told.parts[static_cast<std::size_t>(card)]);
            if (card) out += " ";
            out += std::to_string(card + 1) + " " +
                   std::string(slotName(told.parts[static_cast<std::size_t>(card)]));
        }
        return out;
    }
    case K::Covered:
        return "カードを ふせました。すうじキーで とれます";
    case K::PickedUp: {
        std::string out = std::string(cardName(told.card)) + "を とりました";
        if (told.slot >= 0) out += "。" + slotAndContent(told.slot, told.shown);
        return out;
    }
    case K::MovedOver:
        return slotAndContent(told.slot, told.shown);
    case K::Dropped:
        return std::string(cardName(told.card)) + "を " + std::string(slotName(told.slot)) + "に おきました";
    case K::PutBack:
        return std::string(cardName(told.card)) + "を もどしました";
    }
    return {};
}

std::string_view spokenMessage(Message message) {
    switch (message) {
    case Message::Wrong: return "ざんねん、スタートボタンから やりなおし。";
    }
    return {};
}

std::string failureMessage(std::string_view what, std::string_view why) {
    return "「" + std::string(what) + "」の処理でエラーが発生しました。\n" + std::string(why) + "\nゲームを終了します。";
}

std::string startFailureMessage(std::string_view why) { return "ゲームを開始できません。\n" + std::string(why); }

std::string_view reading(std::string_view shown) {
    // The labels as the designer wrote them, and as they are said.
    static constexpr std::array<std::array<std::string_view, 2>, 2> kReadings{{
        {"しっかり見て、しっかり覚えて", "しっかり みて、しっかり おぼえて"},
        {"(ヒント\u3000右目にほくろがあるよ。)", "(ヒント\u3000みぎめに ほくろが あるよ。)"},
    }};
    for (const auto& [text, heard] : kReadings) {
        if (text == shown) return heard;
    }
    return shown;
}

std::string spokenText(std::string_view name, std::string_view description) {
    return description.empty() ? std::string(name) : std::string(name) + " " + std::string(description);
}

}  // namespace poromea::ui
