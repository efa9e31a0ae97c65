// The built-in pictures as the game loads them (the :/pictures resources):
// each one there, at its size, in its format, showing what a player expects.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "game/form1.h"
#include "ui/layout.h"

namespace {

constexpr QRgb kSkin = 0xffccff99, kLavender = 0xff9999cc, kNavy = 0xff1a1a77, kRed = 0xffff0000,
               kBlack = 0xff000000, kEmpty = 0xffd0ffa0, kPink = 0xffffb3b3;

QImage load(const QString& name) { return QImage(":/pictures/" + name).convertToFormat(QImage::Format_ARGB32); }

QByteArray raw(const QString& name) {
    QFile f(":/pictures/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}
bool dark(QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80; }

template <typename Test>
QRect boxOf(const QImage& img, Test test) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (test(img.pixel(x, y), y)) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(Pictures, EachIsThereAtItsSizeAndFormatAndUnlikeTheOthers) {
    struct File { QString name; QSize size; QByteArray format; };
    std::vector<File> files{{"face.gif", {300, 300}, "gif"}, {"title.gif", {534, 363}, "gif"},
                            {"empty.gif", {50, 50}, "gif"}, {"banner.jpg", {567, 113}, "jpeg"},
                            {"poromea.ico", {32, 32}, "ico"}};
    for (int k = 0; k < 6; ++k) {
        files.push_back({QString("part%1.gif").arg(k), {50, 50}, "gif"});
        files.push_back({QString("cover%1.gif").arg(k + 1), {50, 50}, "gif"});
    }
    std::vector<QImage> seen;
    for (const File& f : files) {
        SCOPED_TRACE(f.name.toStdString());
        QImageReader reader(":/pictures/" + f.name);
        EXPECT_EQ(reader.format(), f.format);
        const QImage img = load(f.name);
        EXPECT_EQ(img.size(), f.size);
        if (f.format != "gif") continue;
        EXPECT_EQ(reader.imageCount(), 1);
        EXPECT_TRUE(boxOf(img, [](QRgb c, int) { return qAlpha(c) != 255; }).isEmpty()) << "opaque";
        for (const QImage& other : seen) EXPECT_NE(img, other);
        seen.push_back(img);
    }
    // The banner is a baseline JFIF picture of 96 dots per inch.
    const QByteArray banner = raw("banner.jpg");
    EXPECT_EQ(banner.mid(6, 5), QByteArray("JFIF\0", 5));
    EXPECT_EQ(banner.mid(13, 5), QByteArray("\x01\x00\x60\x00\x60", 5));
    EXPECT_TRUE(banner.contains("\xff\xc0") && !banner.contains("\xff\xc2"));
}

TEST(Pictures, ColoursWhereAPlayerLooks) {
    const std::vector<std::tuple<QString, QPoint, QRgb>> cases{
        {"part0.gif", {0, 0}, kSkin},     {"part4.gif", {49, 49}, kSkin},  {"part2.gif", {0, 49}, kLavender},
        {"empty.gif", {49, 0}, kEmpty},   {"title.gif", {533, 0}, kPink},  {"face.gif", {0, 299}, kLavender},
        {"face.gif", {148, 160}, kSkin},  {"face.gif", {63, 160}, kNavy},  {"face.gif", {200, 40}, kBlack},
        {"cover3.gif", {0, 0}, kRed}};
    for (const auto& [name, at, colour] : cases)
        EXPECT_EQ(load(name).pixel(at), colour) << name.toStdString() << " " << at.x() << "," << at.y();
    for (int d = 1; d <= 6; ++d) {  // one white digit, centred
        const QRect digit = boxOf(load(QString("cover%1.gif").arg(d)), [](QRgb c, int) { return qGreen(c) > 128; });
        EXPECT_NEAR(digit.height(), 38, 3) << d;
        EXPECT_NEAR(digit.left() + digit.right(), 49, 3) << d;
    }
    // The banner: red to yellow above, white below, the words on the border.
    const QImage b = load("banner.jpg");
    EXPECT_LE(qGreen(b.pixel(0, 0)), 6);
    EXPECT_GE(qGreen(b.pixel(566, 55)), 244);
    EXPECT_LE(distance(b.pixel(100, 100), 0xffffffff), 6);
    EXPECT_TRUE(QRect(107, 30, 342, 26).contains(boxOf(b, [](QRgb c, int) { return dark(c); })));
}

TEST(Pictures, EarsAreMirrorsAndOnlyTheRightEyeHasTheMole) {
    EXPECT_EQ(load("part2.gif").mirrored(true, false), load("part3.gif"));
    EXPECT_EQ(load("part0.gif").mirrored(true, false), load("part0.gif"));
    const QImage mole = load("part4.gif"), plain = load("part5.gif");
    QRect differ;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            if (mole.pixel(x, y) != plain.pixel(x, y)) differ |= QRect(x, y, 1, 1);
    EXPECT_TRUE(QRect(0, 22, 7, 6).contains(differ)) << "only the mole differs";
    EXPECT_TRUE(dark(mole.pixel(3, 25)));
    EXPECT_EQ(plain.pixel(3, 25), kSkin);
}

// Each part joins the face at its slot in the main window without a seam:
// every border pixel of the part looks like the face pixel it covers. Palette
// reduction moves a blended pixel by a few levels; a real seam (a swapped
// part, a slot moved, a shifted outline) is off by 60 or more.
TEST(Pictures, EveryPartJoinsTheFaceAtItsSlot) {
    using namespace poromea;
    const QImage face = load("face.gif");
    const auto& faceControl = *std::find_if(ui::kForm1.controls.begin(), ui::kForm1.controls.end(),
                                            [](const ui::Control& c) { return c.picture == "face"; });
    for (int k = 0; k < 6; ++k) {
        const ui::Control& slot = ui::controlFor(Slot(k));
        const QPoint at(ui::pixels(slot.left) - ui::pixels(faceControl.left),
                        ui::pixels(slot.top) - ui::pixels(faceControl.top));
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

TEST(Pictures, IconHasItsThreeImages) {
    QImageReader reader(":/pictures/poromea.ico");
    ASSERT_EQ(reader.imageCount(), 3);
    const std::array<int, 3> sizes{32, 32, 16}, colours{2, 16, 16};
    const QByteArray ico = raw("poromea.ico");
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage img = reader.read().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(img.size(), QSize(sizes[i], sizes[i]));
        EXPECT_EQ(quint8(ico[6 + 16 * i + 2]), colours[i]);
        EXPECT_FALSE(boxOf(img, [](QRgb c, int) { return qAlpha(c) == 0; }).isEmpty()) << "masked";
        // a cyan title bar in colour only
        EXPECT_EQ(boxOf(img, [](QRgb c, int) { return c == 0xff00ffff; }).isEmpty(), colours[i] == 2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
