#include <array>
#include <stdexcept>
#include <string>

#include "ui/layout.h"

namespace poromea::ui {
namespace {

constexpr Font kMincho{"ＭＳ 明朝", "IPAMincho", 14.25};
constexpr Font kGothic{"ＭＳ ゴシック", "IPAGothic", 12.0};

constexpr Rgb kYellow{255, 255, 0};

constexpr ImageControl Card(std::int16_t i) { return {ImageArray::Imgx, i}; }
constexpr ImageControl Slot(std::int16_t k) { return {ImageArray::Slot, k}; }

// A button is named by what it shows, so that a voice that says its caption
// is understood; what it does is its description. Names and descriptions
// that no eye reads are written as they sound: Debian's voice reads no kanji.
// clang-format off
constexpr std::array kForm1Controls{
    Control{"Image1",   -1, Kind::Image,  240,  240, 4770, 3885, {}, "title", true, nullptr, "ポロメア"},
    Control{"Image2",   -1, Kind::Image, 5280,  240, 4500, 4500, {}, "face",  false, nullptr, "かお"},
    Control{"Image14",  -1, Kind::Image, 6600, 1560,  750,  750, {}, "empty", false, nullptr, "みぎめ", {}, Slot(4)},
    Control{"Image15",  -1, Kind::Image, 7680, 1560,  750,  750, {}, "empty", false, nullptr, "ひだりめ", {}, Slot(5)},
    Control{"Image12",  -1, Kind::Image, 5520, 2040,  750,  750, {}, "empty", false, nullptr, "みぎみみ", {}, Slot(2)},
    Control{"Image13",  -1, Kind::Image, 8760, 2040,  750,  750, {}, "empty", false, nullptr, "ひだりみみ", {}, Slot(3)},
    Control{"Image11",  -1, Kind::Image, 7080, 2400,  750,  750, {}, "empty", false, nullptr, "はな", {}, Slot(1)},
    Control{"Image10",  -1, Kind::Image, 7080, 3360,  750,  750, {}, "empty", false, nullptr, "くち", {}, Slot(0)},
    Control{"Label1",   -1, Kind::Label,  240, 4320, 4455,  375, "しっかり見て、しっかり覚えて", {}, false, &kMincho},
    Control{"Label2",   -1, Kind::Label, 1080, 4800, 3135,  375, "ドラッグ＆ドロップ！！", {}, false, &kMincho},
    Control{"Label3",   -1, Kind::Label, 5520, 4920, 4095,  255, "(ヒント\u3000右目にほくろがあるよ。)", {}, false, &kGothic},
    Control{"Command1", -1, Kind::Button, 240, 5520, 1335,  735, "START", {}, false, nullptr, "START", "スタート", {}, ControlId::Start},
    Control{"Imgx",      0, Kind::Image, 1920, 5520,  750,  750, {}, "cover1", false, nullptr, "カード 1", {}, Card(0)},
    Control{"Imgx",      1, Kind::Image, 3000, 5520,  750,  750, {}, "cover2", false, nullptr, "カード 2", {}, Card(1)},
    Control{"Imgx",      2, Kind::Image, 4080, 5520,  750,  750, {}, "cover3", false, nullptr, "カード 3", {}, Card(2)},
    Control{"Imgx",      3, Kind::Image, 5160, 5520,  750,  750, {}, "cover4", false, nullptr, "カード 4", {}, Card(3)},
    Control{"Imgx",      4, Kind::Image, 6240, 5520,  750,  750, {}, "cover5", false, nullptr, "カード 5", {}, Card(4)},
    Control{"Imgx",      5, Kind::Image, 7320, 5520,  750,  750, {}, "cover6", false, nullptr, "カード 6", {}, Card(5)},
    Control{"Command2", -1, Kind::Button, 8400, 5520, 1215, 735, "O  K", {}, false, nullptr, "OK", "こたえあわせ", {}, ControlId::Check},
};

// The pictures the rules read: the parts, the covers and the empty slot.
constexpr std::array kForm1Stores{
    Store{{ImageArray::Imga, 0}, "part0"},
    Store{{ImageArray::Imga, 1}, "part1"},
    Store{{ImageArray::Imga, 2}, "part2"},
    Store{{ImageArray::Imga, 3}, "part3"},
    Store{{ImageArray::Imga, 4}, "part4"},
    Store{{ImageArray::Imga, 5}, "part5"},
    Store{{ImageArray::Imgb, 0}, "cover1"},
    Store{{ImageArray::Imgb, 1}, "cover4"},
    Store{{ImageArray::Imgb, 2}, "cover2"},
    Store{{ImageArray::Imgb, 3}, "cover5"},
    Store{{ImageArray::Imgb, 4}, "cover3"},
    Store{{ImageArray::Imgb, 5}, "cover6"},
    Store{{ImageArray::Imgc, 0}, "empty"},
};

constexpr std::array kForm2Controls{
    // As large as the banner, 5 pixels more than the client area each way: clipped.
    Control{"Image1", -1, Kind::Image, 0, 0, 8505, 1695, {}, "banner", false, nullptr, "CONGRATULATIONS !!", {}, {}, ControlId::Banner},
};
// clang-format on

constexpr std::array kForm1TabOrder{ControlId::Start, ControlId::Check};

}  // namespace

const Form kForm1{"Form1", "ポロメア", 9945, 6495, kYellow, std::nullopt, std::nullopt,
                  kForm1Controls, kForm1TabOrder, kForm1Stores};
const Form kForm2{"Form2", "おめでとう !!", 8430, 1620, std::nullopt, 3420, 1935, kForm2Controls, {}};

std::string controlKey(std::string_view name, int index) {
    return index < 0 ? std::string(name) : std::string(name) + "(" + std::to_string(index) + ")";
}

const Control& controlFor(ImageControl control) {
    for (const Control& c : kForm1.controls) {
        if (c.image == control) return c;
    }
    throw std::out_of_range("no image control for that array and index");
}

}  // namespace poromea::ui
