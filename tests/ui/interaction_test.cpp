// Holding a card, played through the real rules on a recording surface:
// every way a card is taken, carried, dropped and put back, the mixed
// pointer-and-keys cases, the words a screen reader is given and the failure rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "game/form1.h"
#include "tests/game/fake_host.h"
#include "tests/ui/desktop.h"
#include "ui/interaction.h"

namespace poromea::ui {
namespace {

using Row = std::vector<std::string>;
const Row kCovers{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};

// Where the player sees the slots and cards, in window pixels.
struct Place {
    int left, top;
};
const std::map<int, Place> kSlotAt{{0, {472, 224}}, {1, {472, 160}}, {2, {368, 136}},
                                   {3, {584, 136}}, {4, {440, 104}}, {5, {512, 104}}};
Point centreOfSlot(int k) { return {kSlotAt.at(k).left + 25.0, kSlotAt.at(k).top + 25.0}; }

// The rules on a recording host, the hand on a recording desktop.
class Table : public test::FakeHost, public Desktop {
public:
    Table() : game(*this), hand(game, *this) {}
    using FakeHost::shown;

    // The rules' beginDrag reaches the hand, as on every host.
    void beginDrag(std::int16_t card) override {
        FakeHost::beginDrag(card);
        hand.beginDrag(card);
    }
    int slotAt(Point at) override {
        for (const auto& [k, p] : kSlotAt) {
            if (at.x >= p.left && at.x < p.left + 50 && at.y >= p.top && at.y < p.top + 50) return k;
        }
        return -1;
    }

    // START and the memorising time: the cards covered and ready to be taken.
    void deal() {
        hand.buttonClicked(Interaction::Button::Start);
        hand.timerElapsed();
        said.clear();
    }
    std::string lastSaid() const { return said.empty() ? "" : said.back(); }

    Form1 game;
    Interaction hand;
};

Press left(double x = 10, double y = 12, int pointer = 0) { return {pointer, kLeftButton, 0, {x, y}}; }

TEST(Interaction, APointerTakesMovesAndDropsACard) {
    Table t;
    t.deal();
    t.hand.cardPressed(2, left(10, 12));
    EXPECT_EQ(t.outline, "272,368") << "the outline starts on the card";
    EXPECT_EQ(t.captured, (std::map<int, int>{{2, 0}}));
    EXPECT_EQ(t.lastSaid(), "カード 3を とりました");
    t.hand.pointerMoved(0, {400, 200});
    EXPECT_EQ(t.outline, "390,188") << "it follows the pointer where it holds the card";
    t.hand.pointerReleased(0, kLeftButton, centreOfSlot(4));
    EXPECT_EQ(t.shown(Slot(4)), "cover3");
    EXPECT_EQ(t.outline, "");
    EXPECT_TRUE(t.captured.empty());
    EXPECT_EQ(t.lastSaid(), "カード 3を みぎめに おきました");

    // Let go anywhere but a slot: nothing placed, the card is back.
    t.hand.cardPressed(0, {0, kRightButton, 0, {1, 1}});
    t.hand.pointerReleased(0, kLeftButton, centreOfSlot(0));
    EXPECT_FALSE(t.outline.empty()) << "only the holding button's release ends the hold";
    t.hand.pointerReleased(0, kRightButton, {300, 20});
    EXPECT_EQ(t.row(ImageArray::Slot), (Row{"empty", "empty", "empty", "empty", "cover3", "empty"}));
    EXPECT_EQ(t.lastSaid(), "カード 1を もどしました");

    // Another pointer while one holds a card changes nothing; its moves are not the drag's.
    t.hand.cardPressed(1, left(5, 5, 7));
    t.hand.cardPressed(5, left(5, 5, 8));
    t.hand.pointerMoved(8, {100, 100});
    EXPECT_EQ(t.outline, "200,368");
    // The holding button let go during a move, another button still down: that is the release.
    t.hand.pointerMoved(7, centreOfSlot(1), kRightButton);
    EXPECT_EQ(t.shown(Slot(1)), "cover2");
    EXPECT_EQ(t.drags, (std::vector<std::int16_t>{2, 0, 1}));
}

TEST(Interaction, KeysCarryACardRoundTheSlots) {
    Table t;
    t.deal();
    EXPECT_TRUE(t.hand.keyPressed(Key::Digit4));
    EXPECT_EQ(t.outline, "472,224") << "a card taken by the keys stands on the mouth's slot";
    EXPECT_EQ(t.lastSaid(), "カード 4を とりました。くち あき");
    EXPECT_TRUE(t.hand.keyPressed(Key::Left));
    EXPECT_EQ(t.outline, "512,104");
    EXPECT_EQ(t.lastSaid(), "ひだりめ あき");
    EXPECT_TRUE(t.hand.keyPressed(Key::Down));
    EXPECT_TRUE(t.hand.keyPressed(Key::Space));
    EXPECT_EQ(t.shown(Slot(0)), "cover4");
    EXPECT_EQ(t.lastSaid(), "カード 4を くちに おきました");
    EXPECT_EQ(t.outline, "");

    t.hand.keyPressed(Key::Digit2);
    EXPECT_EQ(t.lastSaid(), "カード 2を とりました。くち カード 4");
    t.hand.keyPressed(Key::Digit6);  // another digit takes that card instead
    EXPECT_EQ(t.said.at(t.said.size() - 2), "カード 2を もどしました");
    EXPECT_TRUE(t.hand.keyPressed(Key::Other)) << "keys belong to a held card";
    t.hand.buttonClicked(Interaction::Button::Start);
    EXPECT_EQ(t.row(ImageArray::Imgx), kCovers) << "no button works while a card is held";
    EXPECT_TRUE(t.hand.keyPressed(Key::Escape));
    EXPECT_EQ(t.lastSaid(), "カード 6を もどしました");
    EXPECT_EQ(t.row(ImageArray::Slot), (Row{"cover4", "empty", "empty", "empty", "empty", "empty"}));

    // Nothing held: Return presses the focused button, the other keys are the window's.
    EXPECT_FALSE(t.hand.keyPressed(Key::Return)) << "none has the focus";
    t.focused[Window::Main] = ControlId::Check;
    EXPECT_TRUE(t.hand.keyPressed(Key::Return));
    EXPECT_EQ(t.messages, std::vector{Message::Wrong});
    EXPECT_FALSE(t.hand.keyPressed(Key::Space));
    EXPECT_FALSE(t.hand.keyPressed(Key::Right));
    EXPECT_FALSE(t.hand.keyPressed(Key::Escape));
    EXPECT_EQ(t.messages.size(), 1u);
}

// The pointer and the keys never hold a card at once, and never take it from each other.
TEST(Interaction, PointerAndKeysMixed) {
    Table t;
    t.hand.buttonClicked(Interaction::Button::Start);
    // The button held down on a card through the memorising time...
    t.hand.pointerDown();
    t.hand.cardPressed(0, left());
    EXPECT_EQ(t.outline, "") << "a face-up card cannot be taken";
    t.hand.timerElapsed();
    // ...then a digit takes card 1 by the keys, and the pointer's release is not its drop.
    t.hand.keyPressed(Key::Digit1);
    t.hand.pointerMoved(0, {50, 50});
    EXPECT_EQ(t.outline, "472,224");
    t.hand.pointerReleased(0, kLeftButton, centreOfSlot(4));
    EXPECT_EQ(t.shown(Slot(4)), "empty");
    EXPECT_EQ(t.outline, "472,224");
    t.hand.pointerLost(0);
    EXPECT_EQ(t.outline, "472,224");
    t.hand.keyPressed(Key::Return);
    EXPECT_EQ(t.shown(Slot(0)), "cover1");

    // A pointer pressed anywhere ends a carry by the keys first.
    t.hand.keyPressed(Key::Digit2);
    t.hand.pointerDown();
    EXPECT_EQ(t.outline, "");
    EXPECT_EQ(t.lastSaid(), "カード 2を もどしました");
    t.hand.cardPressed(2, left());
    EXPECT_FALSE(t.hand.heldByKeys());
    // While the pointer holds a card, digits and arrows are swallowed, and Escape puts it back.
    EXPECT_TRUE(t.hand.keyPressed(Key::Digit5));
    EXPECT_TRUE(t.hand.keyPressed(Key::Return));
    EXPECT_EQ(t.outline, "272,368");
    EXPECT_TRUE(t.hand.keyPressed(Key::Escape));
    EXPECT_EQ(t.outline, "");
    EXPECT_TRUE(t.captured.empty());
    t.hand.pointerReleased(0, kLeftButton, centreOfSlot(1));
    EXPECT_EQ(t.shown(Slot(1)), "empty") << "the release after Escape drops nothing";

    // A lost pointer and a window put in the background put the card back.
    t.hand.cardPressed(3, left());
    t.hand.pointerLost(0);
    EXPECT_EQ(t.outline, "");
    t.hand.keyPressed(Key::Digit4);
    t.hand.windowDeactivated();
    EXPECT_EQ(t.outline, "");
    EXPECT_FALSE(t.hand.holding());
}

TEST(Interaction, TheDealAndTheCoveringAreTold) {
    // Read as they sound, card by card: short enough for the memorising time.
    const std::map<std::string, std::string> part{{"part0", "くち"}, {"part1", "はな"}, {"part2", "みぎみみ"},
                                                  {"part3", "ひだりみみ"}, {"part4", "みぎめ"}, {"part5", "ひだりめ"}};
    Table t;
    t.hand.buttonClicked(Interaction::Button::Start);
    const Row faceUp = t.row(ImageArray::Imgx);
    std::string dealt;
    for (int card = 0; card < kParts; ++card) {
        dealt += (card ? " " : "") + std::to_string(card + 1) + " " + part.at(faceUp[card]);
    }
    EXPECT_EQ(t.said, (std::vector<std::string>{dealt}));
    t.hand.timerElapsed();
    EXPECT_EQ(t.lastSaid(), "カードを ふせました。すうじキーで とれます");
    t.hand.timerElapsed();  // a late tick of a stopped timer covers nothing anew
    EXPECT_EQ(t.said.size(), 2u);
}

TEST(Interaction, AFailureEndsTheGameOnceWithOneReport) {
    Table t;
    t.deal();
    t.hand.cardPressed(2, left());
    t.failOn("setPicture");
    t.hand.pointerReleased(0, kLeftButton, centreOfSlot(3));
    EXPECT_EQ(t.failures, (std::vector<std::string>{
                              "「ドロップ」の処理でエラーが発生しました。\nhost failure in setPicture\nゲームを終了します。"}));
    EXPECT_EQ(t.outline, "");
    EXPECT_TRUE(t.captured.empty());
    // Nothing more is handled, and the keys go back to the window.
    t.hand.buttonClicked(Interaction::Button::Start);
    EXPECT_EQ(t.row(ImageArray::Imgx), kCovers);
    EXPECT_FALSE(t.hand.keyPressed(Key::Digit1));
    t.hand.run("ウィンドウ", [] { throw 1; });
    EXPECT_EQ(t.failures.size(), 1u);

    // Whatever is thrown is caught and told the same way.
    Table u;
    u.hand.run("ウィンドウ", [] { throw 1; });
    EXPECT_EQ(u.failures, (std::vector<std::string>{
                              "「ウィンドウ」の処理でエラーが発生しました。\n不明なエラーです。\nゲームを終了します。"}));
    // A drag the rules begin outside a press is a fault of the program.
    Table v;
    v.deal();
    EXPECT_THROW(v.hand.beginDrag(3), std::logic_error);
}

}  // namespace
}  // namespace poromea::ui
