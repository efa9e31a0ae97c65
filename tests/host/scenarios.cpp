#include "tests/host/scenarios.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <ranges>

#include "game/form1.h"
#include "ui/layout.h"

namespace poromea::scenarios {
namespace {

using Names = std::vector<std::string>;

constexpr std::string_view kForm1Title = "ポロメア";
constexpr std::string_view kForm2Title = "おめでとう !!";
const Rect kForm2Client{228, 129, 562, 108};

Rect rectOf(ImageControl c) {
    const ui::Control& control = ui::controlFor(c);
    return {ui::pixels(control.left), ui::pixels(control.top), ui::pixels(control.width), ui::pixels(control.height)};
}
Point centreOf(ImageControl c) {
    const Rect r = rectOf(c);
    return {r.left + r.width / 2, r.top + r.height / 2};
}

Names shownBy(Driver& d, ImageArray array) {
    Names out;
    for (int i = 0; i < kParts; ++i) out.push_back(d.picture({array, static_cast<std::int16_t>(i)}));
    return out;
}
const Names kCovers{"cover1", "cover2", "cover3", "cover4", "cover5", "cover6"};
const Names kParts_{"part0", "part1", "part2", "part3", "part4", "part5"};
const Names kEmpty(kParts, "empty");

ui::Key digit(int card) { return static_cast<ui::Key>(static_cast<int>(ui::Key::Digit1) + card); }

std::vector<Window> windowsTitled(Driver& d, std::string_view title) {
    std::vector<Window> out = d.windows();
    std::erase_if(out, [&](const Window& w) { return w.title != title; });
    return out;
}

// Every card as the screen shows it, read at the centre of each of its own pixels: a back (the red ground over half
// of it, its white digit, drawn from its control's corner: red down its left edge) or a face (pale green, no red).
void checkCardsShow(Driver& d, bool backs, std::source_location at = std::source_location::current()) {
    const Rect first = rectOf(Imgx(0)), row{first.left, first.top, rectOf(Imgx(kParts - 1)).left + first.width - first.left, first.height};
    const Seen seen = d.seen(row);
    for (int i = 0; i < kParts; ++i) {
        double red = 0, green = 0, white = 0, edge = 0;
        for (int y = 0; y < first.height; ++y) {
            for (int x = 0; x < first.width; ++x) {
                const Colour p = seen.at((rectOf(Imgx(static_cast<std::int16_t>(i))).left - row.left + x + 0.5) / row.width, (y + 0.5) / row.height);
                const auto is = [&](Colour c) { return std::abs(p.r - c.r) <= 40 && std::abs(p.g - c.g) <= 40 && std::abs(p.b - c.b) <= 40; };
                red += is({0xFF, 0, 0}), green += is({0xD0, 0xFF, 0xA0}), white += is({0xFF, 0xFF, 0xFF}), edge += !x && is({0xFF, 0, 0});
            }
        }
        const double all = first.width * first.height;
        if (backs ? red > all / 2 && white > all / 20 && edge == first.height : green > all / 10 && red < all / 20) continue;
        fail(at.file_name(), static_cast<int>(at.line()), "card " + shown(static_cast<long long>(i + 1)) + " on the screen is not a " + (backs ? "back: " : "face: ") +
             shown(static_cast<long long>(100 * red / all)) + " % red, " + shown(static_cast<long long>(100 * green / all)) + " % green");
    }
}

// START, the memorise time; returns the parts as they were dealt face up, having read both from the screen too.
Names deal(Driver& d) {
    d.click("Command1");
    const Names faceUp = shownBy(d, ImageArray::Imgx);
    check(std::is_permutation(faceUp.begin(), faceUp.end(), kParts_.begin()));
    checkEq(shownBy(d, ImageArray::Slot), kEmpty);
    checkCardsShow(d, false);
    d.letTimerElapse();
    checkEq(shownBy(d, ImageArray::Imgx), kCovers);
    checkCardsShow(d, true);
    return faceUp;
}

int cardOf(const Names& faceUp, int part) {
    return static_cast<int>(std::find(faceUp.begin(), faceUp.end(), kParts_[part]) - faceUp.begin());
}

void drag(Driver& d, int card, Point to, Button button = Button::Left) {
    d.press(card, button);
    d.releaseAt(to);
}

// Places part p on slot slotOf[p] by mouse.
void placeAll(Driver& d, const Names& faceUp, std::array<int, kParts> slotOf = {0, 1, 2, 3, 4, 5}) {
    for (int part = 0; part < kParts; ++part) drag(d, cardOf(faceUp, part), centreOf(Slot(slotOf[part])));
}

void expectWrongAnswer(Driver& d) {
    const std::vector<MessageWindow> boxes = d.takeMessageBoxes();
    checkEq(boxes.size(), 1u);
    for (const MessageWindow& box : boxes) {
        checkEq(box.title + " " + box.text, "まちがいです。 残念、スタートボタンからやりなおし。");
        check(box.buttons == 1 && !box.icon);
    }
    check(windowsTitled(d, kForm2Title).empty());
}

void expectCongratulations(Driver& d) {
    checkEq(shownBy(d, ImageArray::Slot), kParts_);
    checkEq(d.takeMessageBoxes().size(), 0u);
    const auto form2 = windowsTitled(d, kForm2Title);
    checkEq(form2.size(), 1u);
    if (!form2.empty()) checkEq(form2[0].client, kForm2Client);
}

// --- the scenarios ---

// The check before any game and a wrong face: the box says so, and the face is uncovered. Then right ones.
void wholeGames(Driver& d) {
    d.click("Command2");
    checkEq(shownBy(d, ImageArray::Slot), kEmpty);
    expectWrongAnswer(d);
    placeAll(d, deal(d), {0, 1, 3, 2, 4, 5});  // the ears swapped
    d.click("Command2");
    expectWrongAnswer(d);
    checkEq(shownBy(d, ImageArray::Slot), (Names{"part0", "part1", "part3", "part2", "part4", "part5"}));

    placeAll(d, deal(d));
    d.click("Command2");
    expectCongratulations(d);

    // Moved, it stays where the player put it when the answer is checked again.
    d.moveWindow(kForm2Title, {400, 300});
    const auto moved = windowsTitled(d, kForm2Title);
    check(moved.size() == 1 && moved[0].client != kForm2Client);
    d.click("Command2");
    const auto again = windowsTitled(d, kForm2Title);
    check(again.size() == 1 && moved.size() == 1 && again[0].client == moved[0].client);
    d.closeWindow(kForm2Title);
    check(windowsTitled(d, kForm2Title).empty());
    placeAll(d, deal(d));
    d.click("Command2");
    expectCongratulations(d);  // reopened at its place

    d.click("Command1");  // a new game leaves it open
    checkEq(windowsTitled(d, kForm2Title).size(), 1u);
    check(d.failures().empty());
    if (!d.windowsClose()) return;
    // The program lasts while either window is open.
    d.closeWindow(kForm1Title);
    check(d.running());
    d.closeWindow(kForm2Title);
    check(!d.running());
}

void failureIsReported(Driver& d) {
    placeAll(d, deal(d));
    d.click("Command2");
    const auto failures = d.failures();
    checkEq(failures.size(), 1u);
    for (const std::string& f : failures) check(f.find("banner") != f.npos && f.find("O  K") != f.npos);
    d.click("Command1");  // the game has ended: nothing more is handled
    checkEq(shownBy(d, ImageArray::Slot), kParts_);
}

// A drop lands on a slot, whatever the button and wherever on the slot, and nowhere else. What is not the game's takes
// no card: a keypad digit without NumLock (an arrow, a move once a card is held), a digit with Ctrl, the Back button.
// Under the box, the congratulation window takes no click.
void notTheGames(Driver& d) {
    const Names faceUp = deal(d);
    const Rect slot4 = rectOf(Slot(4));
    drag(d, 2, centreOf(Slot(4)));
    checkEq(d.picture(Slot(4)), "cover3");
    drag(d, 5, {slot4.left + slot4.width - 1, slot4.top}, Button::Right);
    checkEq(d.picture(Slot(4)), "cover6");
    drag(d, 4, {slot4.left, slot4.top + slot4.height - 1}, Button::Middle);
    checkEq(d.picture(Slot(4)), "cover5");
    // A press of the mouse while the keys carry a card puts that one back and takes the card pressed.
    d.key(ui::Key::Digit1);
    checkEq(d.outline(), rectOf(Slot(0)));
    drag(d, 3, centreOf(Slot(5)));
    checkEq(d.picture(Slot(5)), "cover4");
    checkEq(d.picture(Slot(0)), "empty");
    const Names before = shownBy(d, ImageArray::Slot);
    const Rect mouth = rectOf(Slot(0));
    for (Point outside : {Point{357, 21}, centreOf(Imgx(3)), Point{mouth.left + 25, mouth.top - 1},
                          Point{mouth.left + mouth.width, mouth.top + 25}, Point{600, 390}}) {
        drag(d, 1, outside);
        check(!d.outline());
    }
    // Escape puts back a card the mouse holds; the release after it drops nothing.
    d.press(0, Button::Left);
    check(d.outline().has_value());
    d.key(ui::Key::Escape);
    check(!d.outline());
    d.releaseAt(centreOf(Slot(0)));
    checkEq(shownBy(d, ImageArray::Imgx), kCovers);

    d.keypadWithoutNumLock(1);
    check(!d.outline());
    d.keyWithCtrl(ui::Key::Digit2);
    check(!d.outline());
    d.press(3, Button::Back);
    check(!d.outline());
    d.releaseAt(centreOf(Slot(0)));
    d.key(ui::Key::Digit1);
    d.keypadWithoutNumLock(6);
    checkEq(d.outline(), rectOf(Slot(1)));
    d.key(ui::Key::Escape);
    checkEq(shownBy(d, ImageArray::Slot), before);

    placeAll(d, faceUp);
    d.click("Command2");
    d.click("Command1");
    const Names dealt = shownBy(d, ImageArray::Imgx);
    d.underNextBox([&] {
        d.clickWindow(kForm2Title);
        d.click("Command1");  // START under the box deals nothing
    });
    d.click("Command2");
    checkEq(d.takeMessageBoxes().size(), 1u);
    checkEq(shownBy(d, ImageArray::Imgx), dealt);
    check(d.focus() != (Focused{"おめでとう !!", "Image1"}));  // the click did not give it the keys
    d.clickWindow(kForm2Title);  // it takes them once the box is closed
    checkEq(d.focus(), (Focused{"おめでとう !!", "Image1"}));
}

// What a window hides takes no drop: a card let go where the congratulation window, brought in front while the card
// is held, covers a slot stays out of the game; let go where a slot shows, it lands.
void underAWindow(Driver& d) {
    placeAll(d, deal(d));
    d.click("Command2");
    expectCongratulations(d);
    deal(d);  // the window stays open; the player puts it over the mouth
    const Rect main = d.windows()[0].client;
    d.moveWindow(kForm2Title, {main.left + 400, main.top + 150});
    // Its client now begins 400 pixels right of the main window's and 150 to 180 down (below its title bar):
    // it hides the mouth's centre, not the right ear's.
    const Point hidden = centreOf(Slot(0)), seen = centreOf(Slot(2));
    d.press(0, Button::Left);
    d.raise(kForm2Title);
    d.releaseAt(hidden);
    check(!d.outline());
    checkEq(d.picture(Slot(0)), "empty");
    d.press(0, Button::Left);
    d.raise(kForm2Title);
    d.releaseAt(seen);
    checkEq(d.picture(Slot(2)), "cover1");
}

// --- the keyboard ---

void keyboardGame(Driver& d) {
    checkEq(d.focus(), (Focused{"ポロメア", "Command1"}));
    d.key(ui::Key::Space);
    const Names faceUp = shownBy(d, ImageArray::Imgx);
    d.key(ui::Key::Digit1);  // nothing to pick up before the covers
    check(!d.outline());
    d.letTimerElapse();
    checkEq(shownBy(d, ImageArray::Imgx), kCovers);

    // Each part's card by its digit (the keypad's for cards 1, 3 and 5, whatever the deal; the main row's for the others),
    // taken onto the mouth's place, carried to its own by the arrows, each of the four, either way round, and dropped by
    // Return or Space.
    using K = ui::Key;
    const std::vector<std::vector<K>> ways{{}, {K::Right}, {K::Down, K::Right}, {K::Right, K::Down, K::Right}, {K::Left, K::Up}, {K::Up}};
    for (int part = 0; part < kParts; ++part) {
        const int card = cardOf(faceUp, part);
        d.key(digit(card), card % 2 == 0);
        checkEq(d.outline(), rectOf(Slot(0)));
        for (const K key : ways[static_cast<std::size_t>(part)]) d.key(key);
        checkEq(d.outline(), rectOf(Slot(part)));
        d.key(part % 2 ? K::Space : K::Return);
        check(!d.outline());
        checkEq(d.picture(Slot(part)), kCovers[static_cast<std::size_t>(cardOf(faceUp, part))]);
    }
    checkEq(d.focus(), (Focused{"ポロメア", "Command1"}));
    d.tab();
    checkEq(d.focus(), (Focused{"ポロメア", "Command2"}));
    d.key(ui::Key::Return);
    expectCongratulations(d);
    // The window that opened has the keys, on its banner: a digit typed there takes no card, Escape closes
    // it, and they are back on O  K.
    checkEq(d.focus(), (Focused{"おめでとう !!", "Image1"}));
    d.key(ui::Key::Digit1);
    check(!d.outline());
    d.key(ui::Key::Escape);
    check(windowsTitled(d, kForm2Title).empty());
    checkEq(d.focus(), (Focused{"ポロメア", "Command2"}));
    // A click gives it the keys again; closed by the mouse, they go back as well.
    d.click("Command2");
    checkEq(d.focus(), (Focused{"おめでとう !!", "Image1"}));
    d.clickWindow(kForm1Title);
    checkEq(d.focus(), (Focused{"ポロメア", "Command2"}));
    d.clickWindow(kForm2Title);
    checkEq(d.focus(), (Focused{"おめでとう !!", "Image1"}));
    d.closeWindow(kForm2Title);
    checkEq(d.focus(), (Focused{"ポロメア", "Command2"}));
}

// When, after START, the player sees the cards covered, looking every few milliseconds: the time of the first look that
// found them covered, and of the last that still found them face up. Each look takes its time, and on a loaded machine
// the two lie further apart; the covering fell between them. The clock is read before the click: read after it, a slow
// round trip to the window would be taken off the time measured.
struct Covering {
    double seen = 0;      // first seen covered
    double faceUp = 0;    // last seen face up
};
Covering coveredAfterStart(Driver& d) {
    // START a fifth of a second past a whole second of that clock: a timer that rounds its end to the system's own
    // wake-ups (a whole second) then ends early, every time.
    while (std::fmod(d.now(), 1000.0) < 150 || std::fmod(d.now(), 1000.0) >= 250) d.wait(d.lookEveryMs());
    const double start = d.now();
    d.click("Command1");
    Covering c;
    for (double looked = 0; looked < 10000; d.wait(d.lookEveryMs())) {
        looked = d.now() - start;
        if (shownBy(d, ImageArray::Imgx) == kCovers) break;
        c.faceUp = looked;
    }
    c.seen = d.now() - start;
    return c;
}

// What the player reads on the buttons, and how long the cards stay face up:
// not covered before five seconds, and never still face up at 5.4 s.
void buttonsAndMemorisingTime(Driver& d) {
    checkEq(d.caption("Command1"), "START");
    checkEq(d.caption("Command2"), "O  K");
    const Covering first = coveredAfterStart(d);
    check(first.seen >= 4950 && first.faceUp < 5400);
    // A second START deals anew, and the five seconds count from it.
    d.click("Command1");
    d.wait(3000);
    const Covering second = coveredAfterStart(d);
    check(second.seen >= 4950 && second.faceUp < 5400);
    std::printf("covered after %.0f ms and %.0f ms (face up at %.0f and %.0f ms)\n", first.seen, second.seen,
                first.faceUp, second.faceUp);
}

// A pixel of a picture file as an image editor shows it, and what it is.
struct Sample {
    int x, y;
    Colour colour;
    const char* what;
};

// title.gif is 534 x 363; its control, Image1, 318 x 259. Drawn at its own size the control would show
// its top left corner instead: ロ where the pink is, pink where メ and its shadow are.
constexpr int kTitleWidth = 534, kTitleHeight = 363;
constexpr Sample kTitle[] = {
    {42, 62, {0xF2, 0x12, 0x12}, "ポ, red"},
    {208, 148, {0xFF, 0xD4, 0x00}, "the block under ロ, yellow"},
    {350, 70, {0xFF, 0xB3, 0xB3}, "the pink right of ロ"},
    {271, 262, {0xFF, 0xA1, 0x00}, "メ, orange"},
    {280, 316, {0x8E, 0x8E, 0x8E}, "メ's shadow, grey"},
    {403, 310, {0xFF, 0xE5, 0x00}, "ア's foot, yellow"},
};
// Scaling blends neighbouring pixels a little; every sample lies amid its colour.
bool near(const Colour& a, const Colour& b) {
    return std::abs(a.r - b.r) <= 32 && std::abs(a.g - b.g) <= 32 && std::abs(a.b - b.b) <= 32;
}

void checkSeen(const Seen& seen, const Sample& s, double fx, double fy, std::string_view picture,
               std::source_location at = std::source_location::current()) {
    const Colour c = seen.at(fx, fy);
    if (!near(c, s.colour)) {
        fail(at.file_name(), static_cast<int>(at.line()),
             std::string(picture) + " at " + std::to_string(s.x) + "," + std::to_string(s.y) + " (" + s.what +
                 "): the screen shows " + shown(c) + ", not " + shown(s.colour));
    }
}

// Where rows of `seen` cross from colour a to b or back: how many pixels lie between the two, all told,
// and how many crossings.
void edges(const Seen& seen, Colour a, Colour b, int& between, int& crossings) {
    const auto is = [](Colour c, Colour flat) {
        return std::max({std::abs(c.r - flat.r), std::abs(c.g - flat.g), std::abs(c.b - flat.b)}) <= 8;
    };
    for (int y = 0, from = 0, last = 0; y < seen.height; ++y, from = 0) {
        for (int x = 0; x < seen.width; ++x) {
            const Colour c = seen.pixels[static_cast<std::size_t>(y * seen.width + x)];
            const int flat = is(c, a) ? 1 : is(c, b) ? 2 : 0;
            if (flat && from && flat != from) between += x - last - 1, ++crossings;
            if (flat) from = flat, last = x;
        }
    }
}

// What the player sees, read from the screen: the title stretched to fill its whole control, the
// other pictures at their own size from their control's top left corner (the cards' backs),
// their edges as soft as the screen's pixels, however dense.
void picturesOnScreen(Driver& d) {
    const ui::Control& title = *std::ranges::find(ui::kForm1.controls, std::string_view("Image1"), &ui::Control::name);
    const ui::PixelRect r = title.pixelRect();
    const Seen logo = d.seen({r.left, r.top, r.width, r.height});
    for (const Sample& s : kTitle) {
        checkSeen(logo, s, (s.x + 0.5) / kTitleWidth, (s.y + 0.5) / kTitleHeight, "title");
    }
    checkCardsShow(d, true);
    const Rect card = rectOf(Imgx(0));
    const Seen back = d.seen(card);
    // The 1 on the card and the mark on an empty slot blend into their ground over one of the screen's
    // pixels and a half on average; a picture stretched twice from its pixels, over three.
    checkEq(d.picture(Slot(0)), "empty");
    int between = 0, crossings = 0;
    edges(back, {0xFF, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}, between, crossings);
    edges(d.seen(rectOf(Slot(0))), {0xD0, 0xFF, 0xA0}, {0x00, 0x00, 0x00}, between, crossings);
    // At a ratio the screen rounds (2.625 to the pictures for 3), resampled once: under 2.75 (over 3.5 from those for 2).
    const double ratio = double(back.width) / card.width, blend = double(between) / crossings;
    std::printf("edges blend over %.2f pixels of the screen (%d crossings) at %.3f to the pixel\n", blend, crossings, ratio);
    check(crossings > 100 && blend < (std::abs(ratio - std::round(ratio)) < 0.01 ? 2 : 2.75));
}

}  // namespace

const std::vector<Scenario>& all() {
    static const std::vector<Scenario> scenarios{
        {"WholeGames", wholeGames},
        {"FailureIsReported", failureIsReported, "banner"},
        {"KeyboardGame", keyboardGame},
        {"NotTheGames", notTheGames},
        {"UnderAWindow", underAWindow},
        {"ButtonsAndMemorisingTime", buttonsAndMemorisingTime, {}, kMemoriseMs},
        {"PicturesOnScreen", picturesOnScreen},
    };
    return scenarios;
}

}  // namespace poromea::scenarios
