// The built-in pictures as the game loads them (:/pictures): each there, at its size, in its format, as a player expects.
#include <QImageReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "game/form1.h"
#include "ui/layout.h"

namespace {

constexpr QRgb kBlack = 0xff000000;

QImage load(const QString& name) { return QImage(":/pictures/" + name).convertToFormat(QImage::Format_ARGB32); }

int distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// The smallest rectangle holding every pixel for which test(colour, where) holds.
template <typename Test>
QRect boxOf(const QImage& img, Test test) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (test(img.pixel(x, y), QPoint(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(Pictures, EachIsThereAtItsSizeAndFormatAndUnlikeTheOthers) {
    std::vector<std::pair<QString, QSize>> files{{"face.gif", {300, 300}}, {"title.gif", {534, 363}},
                                                 {"empty.gif", {50, 50}}, {"banner.jpg", {567, 113}}, {"poromea.ico", {32, 32}}};
    for (int k = 0; k < 6; ++k)
        files.insert(files.end(), {{QString("part%1.gif").arg(k), {50, 50}}, {QString("cover%1.gif").arg(k + 1), {50, 50}}});
    std::vector<QImage> seen;
    for (const auto& [name, size] : files) {
        SCOPED_TRACE(name.toStdString());
        QImageReader reader(":/pictures/" + name);
        EXPECT_EQ(reader.format(), name.endsWith(".jpg") ? "jpeg" : name.section('.', -1).toLatin1());
        const QImage img = load(name);
        EXPECT_EQ(img.size(), size);
        if (!name.endsWith(".gif")) continue;
        EXPECT_EQ(reader.imageCount(), 1);
        EXPECT_TRUE(boxOf(img, [](QRgb c, QPoint) { return qAlpha(c) != 255; }).isEmpty()) << "opaque";
        for (const QImage& other : seen) EXPECT_NE(img, other);
        seen.push_back(img);
    }
}

TEST(Pictures, DigitsBannerMirrorsAndTheMole) {
    // The covers' digits are read off the screen as a reader reads them (QtWindows.TheCoveredRowReadsOneToSix).
    // The banner: red to yellow above, white below, the words on the border.
    const QImage b = load("banner.jpg");
    EXPECT_LE(qGreen(b.pixel(0, 0)), 6);
    EXPECT_GE(qGreen(b.pixel(566, 55)), 244);
    EXPECT_LE(distance(b.pixel(100, 100), 0xffffffff), 6);
    EXPECT_TRUE(QRect(107, 30, 342, 26).contains(boxOf(b, [](QRgb c, QPoint) { return distance(c, kBlack) < 80; })));
    // The ears are mirrors, the mouth is symmetric; only the right eye has the mole.
    EXPECT_EQ(load("part2.gif").mirrored(true, false), load("part3.gif"));
    EXPECT_EQ(load("part0.gif").mirrored(true, false), load("part0.gif"));
    const QImage plain = load("part5.gif");
    const QRect differ = boxOf(load("part4.gif"), [&](QRgb c, QPoint p) { return c != plain.pixel(p); });
    EXPECT_TRUE(QRect(0, 22, 7, 6).contains(differ)) << "only the mole differs";
    EXPECT_LT(distance(load("part4.gif").pixel(3, 25), kBlack), 80) << "the mole";
}

// Each part joins the face at its slot (from the layout) without a seam: its border pixels look like the face
// pixels they cover. Palette reduction moves a blended pixel a few levels; a real seam (a part swapped, a slot
// moved, an outline shifted) is 60 or more off.
TEST(Pictures, EveryPartJoinsTheFaceAtItsSlot) {
    using namespace poromea;
    const QImage face = load("face.gif");
    const auto& faceControl = *std::ranges::find(ui::kForm1.controls, std::string_view("face"), &ui::Control::picture);
    const auto pos = [](const ui::Control& c) { return QPoint(ui::pixels(c.left), ui::pixels(c.top)); };
    for (int k = 0; k < 6; ++k) {
        const QPoint at = pos(ui::controlFor(Slot(k))) - pos(faceControl);
        const QImage part = load(QString("part%1.gif").arg(k));
        int worst = 0;
        for (int i = 0; i < 50; ++i)
            for (QPoint p : {QPoint(i, 0), QPoint(i, 49), QPoint(0, i), QPoint(49, i)}) {
                if (k == 4 && p.x() == 0 && p.y() >= 22 && p.y() < 28) continue;  // the mole may touch it
                worst = std::max(worst, distance(part.pixel(p), face.pixel(at + p)));
            }
        EXPECT_LE(worst, 16) << "part " << k;
    }
}

}  // namespace
