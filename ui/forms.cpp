#include <array>
#include <stdexcept>

#include "ui/layout.h"

namespace poromea::ui {
namespace {

constexpr Font kMincho{"ＭＳ 明朝", "IPAMincho", 14.25};
constexpr Font kGothic{"ＭＳ ゴシック", "IPAGothic", 12.0};

constexpr Rgb kYellow{255, 255, 0};

// clang-format off
constexpr std::array kForm1Controls{
    Control{"Image1",   -1, Kind::Image,  240,  240, 4770, 3885, {}, "title", true, nullptr, "ポロメア"},
    Control{"Image2",   -1, Kind::Image, 5280,  240, 4500, 4500, {}, "face",  false, nullptr, "顔"},
    Control{"Image14",  -1, Kind::Image, 6600, 1560,  750,  750, {}, "empty", false, nullptr, "右目の場所"},
    Control{"Image15",  -1, Kind::Image, 7680, 1560,  750,  750, {}, "empty", false, nullptr, "左目の場所"},
    Control{"Image12",  -1, Kind::Image, 5520, 2040,  750,  750, {}, "empty", false, nullptr, "右耳の場所"},
    Control{"Image13",  -1, Kind::Image, 8760, 2040,  750,  750, {}, "empty", false, nullptr, "左耳の場所"},
    Control{"Image11",  -1, Kind::Image, 7080, 2400,  750,  750, {}, "empty", false, nullptr, "鼻の場所"},
    Control{"Image10",  -1, Kind::Image, 7080, 3360,  750,  750, {}, "empty", false, nullptr, "口の場所"},
    Control{"Label1",   -1, Kind::Label,  240, 4320, 4455,  375, "しっかり見て、しっかり覚えて", {}, false, &kMincho},
    Control{"Label2",   -1, Kind::Label, 1080, 4800, 3135,  375, "ドラッグ＆ドロップ！！", {}, false, &kMincho},
    Control{"Label3",   -1, Kind::Label, 5520, 4920, 4095,  255, "(ヒント\u3000右目にほくろがあるよ。)", {}, false, &kGothic},
    Control{"Command1", -1, Kind::Button, 240, 5520, 1335,  735, "START", {}, false, nullptr, "スタート"},
    Control{"Imgx",      0, Kind::Image, 1920, 5520,  750,  750, {}, "cover1", false, nullptr, "カード 1"},
    Control{"Imgx",      1, Kind::Image, 3000, 5520,  750,  750, {}, "cover2", false, nullptr, "カード 2"},
    Control{"Imgx",      2, Kind::Image, 4080, 5520,  750,  750, {}, "cover3", false, nullptr, "カード 3"},
    Control{"Imgx",      3, Kind::Image, 5160, 5520,  750,  750, {}, "cover4", false, nullptr, "カード 4"},
    Control{"Imgx",      4, Kind::Image, 6240, 5520,  750,  750, {}, "cover5", false, nullptr, "カード 5"},
    Control{"Imgx",      5, Kind::Image, 7320, 5520,  750,  750, {}, "cover6", false, nullptr, "カード 6"},
    Control{"Command2", -1, Kind::Button, 8400, 5520, 1215, 735, "O  K", {}, false, nullptr, "答え合わせ"},
    Control{"Timer1",   -1, Kind::Timer,    0,    0,    0,    0},
    // Picture stores: the rules read pictures from these; they are never shown.
    Control{"Imga",      0, Kind::Store,  240,  600,  750,  750, {}, "part0"},
    Control{"Imga",      1, Kind::Store, 1200,  600,  750,  750, {}, "part1"},
    Control{"Imga",      2, Kind::Store,  240, 1680,  750,  750, {}, "part2"},
    Control{"Imga",      3, Kind::Store, 1200, 1680,  750,  750, {}, "part3"},
    Control{"Imga",      4, Kind::Store,  240, 2760,  750,  750, {}, "part4"},
    Control{"Imga",      5, Kind::Store, 1200, 2760,  750,  750, {}, "part5"},
    Control{"Imgb",      0, Kind::Store, 2160,  600,  750,  750, {}, "cover1"},
    Control{"Imgb",      1, Kind::Store, 3120,  600,  750,  750, {}, "cover4"},
    Control{"Imgb",      2, Kind::Store, 2160, 1680,  750,  750, {}, "cover2"},
    Control{"Imgb",      3, Kind::Store, 3120, 1680,  750,  750, {}, "cover5"},
    Control{"Imgb",      4, Kind::Store, 2160, 2760,  750,  750, {}, "cover3"},
    Control{"Imgb",      5, Kind::Store, 3120, 2760,  750,  750, {}, "cover6"},
    Control{"Imgc",     -1, Kind::Store, 4080,  600,  750,  750, {}, "empty"},
};

constexpr std::array kForm2Controls{
    // As large as the banner, 5 pixels more than the client area each way: clipped.
    Control{"Image1", -1, Kind::Image, 0, 0, 8505, 1695, {}, "banner", false, nullptr, "CONGRATULATIONS !!"},
};
// clang-format on

constexpr std::array<std::string_view, 2> kForm1TabOrder{"Command1", "Command2"};

}  // namespace

const Form kForm1{"Form1", "ポロメア", 9945, 6495, kYellow, std::nullopt, std::nullopt,
                  kForm1Controls, kForm1TabOrder};
const Form kForm2{"Form2", "おめでとう !!", 8430, 1620, std::nullopt, 3420, 1935, kForm2Controls, {}};

std::optional<ImageControl> imageControlOf(const Control& c) {
    auto at = [&](ImageArray a, int i) { return ImageControl{a, static_cast<std::int16_t>(i)}; };
    if (c.name == "Imgx") return at(ImageArray::Imgx, c.index);
    if (c.name == "Imga") return at(ImageArray::Imga, c.index);
    if (c.name == "Imgb") return at(ImageArray::Imgb, c.index);
    if (c.name == "Imgc") return at(ImageArray::Imgc, 0);
    // The slots Image10..Image15 are slots 0..5.
    if (c.name.size() == 7 && c.name.starts_with("Image1") && c.name[6] >= '0' && c.name[6] <= '5') {
        return at(ImageArray::Slot, c.name[6] - '0');
    }
    return std::nullopt;
}

const Control& controlFor(ImageControl control) {
    for (const Control& c : kForm1.controls) {
        if (imageControlOf(c) == control) return c;
    }
    throw std::out_of_range("no image control for that array and index");
}

}  // namespace poromea::ui
