// Checks the built-in pictures as the game sees them: loaded through Qt from
// the :/pictures resources.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace {

constexpr QRgb kSkin = 0xffccff99, kLavender = 0xff9999cc, kNavy = 0xff1a1a77,
               kNeck = 0xffccffcc, kRed = 0xffff0000, kWhite = 0xffffffff,
               kBlack = 0xff000000, kEmpty = 0xffd0ffa0, kPink = 0xffffb3b3;

// Top-left corner of part k's slot on the face.
constexpr std::array<QPoint, 6> kSlots{{{120, 208}, {120, 144}, {16, 120},
                                        {232, 120}, {88, 88}, {160, 88}}};

QImage load(const QString &name) {
    return QImage(":/pictures/" + name).convertToFormat(QImage::Format_ARGB32);
}

QByteArray raw(const QString &name) {
    QFile f(":/pictures/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Largest difference over the three colour channels.
int distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

bool dark(QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80; }

// Bounding box of the pixels matching a test.
template <typename Test> QRect boxOf(const QImage &img, Test test) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (test(img.pixel(x, y), y)) box |= QRect(x, y, 1, 1);
    return box;
}

QStringList mainWindowPictures() {
    QStringList names;
    for (int k = 0; k < 6; ++k) names << QString("part%1.gif").arg(k);
    for (int d = 1; d <= 6; ++d) names << QString("cover%1.gif").arg(d);
    return names << "empty.gif" << "face.gif" << "title.gif";
}

unsigned le16(const QByteArray &b, int at) { return quint8(b[at]) | quint8(b[at + 1]) << 8; }
unsigned be16(const QByteArray &b, int at) { return quint8(b[at]) << 8 | quint8(b[at + 1]); }
unsigned le32(const QByteArray &b, int at) { return le16(b, at) | le16(b, at + 2) << 16; }

TEST(PictureFiles, EveryResourceLoadsAtItsSize) {
    const QStringList names = mainWindowPictures() << "banner.jpg" << "poromea.ico";
    ASSERT_EQ(names.size(), 17);
    for (const QString &n : names) {
        const QImage img(":/pictures/" + n);
        const QSize size = n == "face.gif" ? QSize(300, 300) : n == "title.gif" ? QSize(534, 363)
                         : n == "banner.jpg" ? QSize(567, 113) : n == "poromea.ico" ? QSize(32, 32)
                         : QSize(50, 50);
        EXPECT_EQ(img.size(), size) << n.toStdString();
    }
}

TEST(PictureFiles, MainWindowPicturesAreDistinctSingleOpaqueGifFrames) {
    std::vector<QImage> seen;
    for (const QString &n : mainWindowPictures()) {
        SCOPED_TRACE(n.toStdString());
        EXPECT_TRUE(raw(n).startsWith("GIF89a"));
        QImageReader reader(":/pictures/" + n);
        EXPECT_EQ(reader.format(), "gif");
        EXPECT_EQ(reader.imageCount(), 1);
        const QImage img = load(n);
        EXPECT_TRUE(boxOf(img, [](QRgb c, int) { return qAlpha(c) != 255; }).isEmpty());
        for (const QImage &other : seen) EXPECT_NE(img, other);
        seen.push_back(img);
    }
}

TEST(PictureColours, BackgroundsAndFaceAreTheirExactColours) {
    const std::vector<std::tuple<QString, QPoint, QRgb>> cases{
        {"part0.gif", {0, 0}, kSkin},       {"part1.gif", {49, 0}, kSkin},
        {"part4.gif", {49, 49}, kSkin},     {"part5.gif", {0, 0}, kSkin},
        {"part2.gif", {0, 49}, kLavender},  {"part3.gif", {49, 0}, kLavender},
        {"empty.gif", {49, 0}, kEmpty},     {"title.gif", {533, 0}, kPink},
        {"face.gif", {0, 299}, kLavender},  {"face.gif", {250, 160}, kLavender},
        {"face.gif", {148, 160}, kSkin},    {"face.gif", {148, 70}, kSkin},    // head, below hairline
        {"face.gif", {63, 160}, kNavy},     {"face.gif", {234, 160}, kNavy},   // outline left, right
        {"face.gif", {148, 20}, kNavy},     {"face.gif", {148, 266}, kNavy},   // top, bottom
        {"face.gif", {200, 40}, kBlack},    {"face.gif", {70, 64}, kBlack},    // hair to the side
        {"face.gif", {100, 60}, kSkin},                                        // wedge in the hair
        {"face.gif", {146, 290}, kNeck},    {"face.gif", {107, 290}, kNavy}};
    for (const auto &[name, at, colour] : cases)
        EXPECT_EQ(load(name).pixel(at), colour) << name.toStdString() << " " << at.x() << "," << at.y();
}

TEST(PictureColours, CoversShowOneCentredWhiteDigitLowOnRed) {
    for (int d = 1; d <= 6; ++d) {
        SCOPED_TRACE(d);
        const QImage img = load(QString("cover%1.gif").arg(d));
        // only red, white and blends of the two
        EXPECT_TRUE(boxOf(img, [](QRgb c, int) { return qRed(c) != 255 || qGreen(c) != qBlue(c); }).isEmpty());
        const QRect digit = boxOf(img, [](QRgb c, int) { return qGreen(c) > 128; });
        EXPECT_EQ(img.pixel(0, 0), kRed);
        EXPECT_NEAR(digit.height(), 38, 3);
        EXPECT_GT(digit.top(), 49 - digit.bottom());  // more red above than below
        EXPECT_NEAR(digit.left() + digit.right(), 49, 3);
    }
}

TEST(PictureParts, MirrorsAndMole) {
    const QImage leftEar = load("part2.gif");
    EXPECT_EQ(leftEar.mirrored(true, false), load("part3.gif"));
    EXPECT_EQ(boxOf(leftEar, [](QRgb c, int) { return c == kNavy; }) & QRect(46, 0, 3, 50), QRect(46, 0, 3, 50));
    EXPECT_EQ(leftEar.pixel(35, 25), kSkin);  // inside the ear

    for (const char *name : {"part0.gif", "part1.gif"}) {  // mouth and nose
        const QImage img = load(name);
        EXPECT_EQ(img.mirrored(true, false), img) << name;
    }
    const QImage mouth = load("part0.gif");
    EXPECT_TRUE(boxOf(mouth, [](QRgb c, int y) { return y == 23 && c != kSkin; }).isEmpty());  // lips parted
    EXPECT_TRUE(dark(mouth.pixel(24, 21)) && dark(mouth.pixel(24, 28)));

    const QImage mole = load("part4.gif"), plain = load("part5.gif");
    QRect differ;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            if (mole.pixel(x, y) != plain.pixel(x, y)) differ |= QRect(x, y, 1, 1);
    EXPECT_TRUE(QRect(0, 22, 7, 6).contains(differ));
    EXPECT_GE(differ.width() * differ.height(), 25);
    EXPECT_TRUE(dark(mole.pixel(3, 25)));
    EXPECT_EQ(plain.pixel(3, 25), kSkin);
    EXPECT_TRUE(dark(plain.pixel(23, 5)) && dark(plain.pixel(23, 27)));  // eyebrow, closed eye
}

// A part joins without a seam when its border pixels look like the face
// pixels they cover: then every pair of neighbours across the slot's edge is
// a pair the bare face already shows (this holds for the ears too, whose
// border lies across the head's outline).  Palette reduction may move a
// blended pixel by a few levels; 16 of 255 is far below what shows as a line
// between flat areas, while a real seam (wrong background, a missed or
// shifted outline) is off by 60 or more.
TEST(PictureParts, EveryPartJoinsTheFaceWithoutASeam) {
    constexpr int kTolerance = 16;
    const QImage face = load("face.gif");
    for (int k = 0; k < 6; ++k) {
        const QImage part = load(QString("part%1.gif").arg(k));
        int worst = 0;
        for (int i = 0; i < 50; ++i)
            for (QPoint p : {QPoint(i, 0), QPoint(i, 49), QPoint(0, i), QPoint(49, i)}) {
                if (k == 4 && p.x() == 0 && p.y() >= 22 && p.y() < 28) continue;  // the mole may touch it
                worst = std::max(worst, distance(part.pixel(p), face.pixel(kSlots[k] + p)));
            }
        EXPECT_LE(worst, kTolerance) << "part " << k;
    }
}

TEST(PictureBanner, GradientAboveWhiteBelowWithWordsAndShadow) {
    QImageReader reader(":/pictures/banner.jpg");
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage b = load("banner.jpg");
    constexpr int kSlack = 6;  // JPEG shifts colours by a few levels
    for (int x : {0, 50, 100, 480, 566}) {  // clear of the words
        for (int y = 0; y < 56; ++y) {
            const QRgb c = b.pixel(x, y);
            EXPECT_TRUE(qRed(c) >= 255 - kSlack && qBlue(c) <= kSlack) << x << "," << y;
            if (y > 0) {
                EXPECT_GE(qGreen(c), qGreen(b.pixel(x, y - 1)) - 2) << x << "," << y;
            }
        }
        EXPECT_LE(qGreen(b.pixel(x, 0)), kSlack);
        EXPECT_GE(qGreen(b.pixel(x, 55)), 250 - kSlack);
    }
    // white below, but for the shadow under the words
    const QRect below = boxOf(b, [&](QRgb c, int y) { return y >= 56 && distance(c, kWhite) > kSlack; });
    EXPECT_TRUE(QRect(20, 56, 527, 26).contains(below));

    const QRect words = boxOf(b, [](QRgb c, int) { return dark(c); });
    EXPECT_TRUE(QRect(107, 30, 342, 26).contains(words));  // x 115..441, y 34..55, give or take
    EXPECT_GT(words.width(), 300);
    EXPECT_EQ(words.bottom(), 55);  // standing on the gradient's edge
    const QRect shadow = boxOf(b, [](QRgb c, int y) { return y > 56 && distance(c, qRgb(192, 192, 192)) < 24; });
    EXPECT_NEAR(shadow.left(), 29, 10);
    EXPECT_NEAR(shadow.right(), 538, 10);
    EXPECT_NEAR(shadow.bottom(), 79, 3);

    const QByteArray bytes = raw("banner.jpg");
    EXPECT_EQ(bytes.mid(6, 5), QByteArray("JFIF\0", 5));
    EXPECT_EQ(quint8(bytes[13]), 1u);  // density in dots per inch
    EXPECT_EQ(be16(bytes, 14), 96u);
    EXPECT_EQ(be16(bytes, 16), 96u);
    EXPECT_TRUE(bytes.contains("\xff\xc0"));   // baseline frame
    EXPECT_FALSE(bytes.contains("\xff\xc2"));  // not progressive
}

TEST(PictureIcon, ThreeImagesOfTwoAndSixteenColours) {
    QImageReader reader(":/pictures/poromea.ico");
    ASSERT_EQ(reader.imageCount(), 3);
    const std::array<int, 3> sizes{32, 32, 16};
    const std::array<unsigned, 3> bits{1, 4, 4};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage img = reader.read().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(img.size(), QSize(sizes[i], sizes[i]));
        auto where = [&](auto test) { return boxOf(img, [&](QRgb c, int) { return test(c); }); };
        EXPECT_FALSE(where([](QRgb c) { return qAlpha(c) == 0; }).isEmpty());  // masked background
        EXPECT_TRUE(where([](QRgb c) {
                        return qAlpha(c) != 0 && c != kWhite && c != kBlack && c != 0xff00ffff && c != 0xff808080;
                    }).isEmpty());
        // title bar and shadow only in colour
        EXPECT_EQ(where([](QRgb c) { return c == 0xff00ffff; }).isEmpty(), bits[i] == 1);
        EXPECT_EQ(where([](QRgb c) { return c == 0xff808080; }).isEmpty(), bits[i] == 1);
    }

    const QByteArray ico = raw("poromea.ico");
    ASSERT_GE(ico.size(), 6 + 3 * 16);
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);  // icon, not cursor
    EXPECT_EQ(le16(ico, 4), 3u);
    for (int i = 0; i < 3; ++i) {
        const int entry = 6 + 16 * i;
        EXPECT_EQ(quint8(ico[entry]), unsigned(sizes[i]));
        EXPECT_EQ(quint8(ico[entry + 2]), 1u << bits[i]);  // colours in the palette
        EXPECT_EQ(le16(ico, entry + 6), bits[i]);
        const unsigned at = le32(ico, entry + 12);
        ASSERT_LT(at + 40, unsigned(ico.size()));
        EXPECT_EQ(le16(ico, at + 14), bits[i]);                // the bitmap agrees
        EXPECT_EQ(le32(ico, at + 8), unsigned(2 * sizes[i]));  // image plus AND mask
    }
}

TEST(PictureTitle, WordsInRedYellowAndGreyOnPink) {
    const QImage t = load("title.gif");
    int red = 0, yellow = 0, grey = 0;
    for (int y = 0; y < t.height(); ++y)
        for (int x = 0; x < t.width(); ++x) {
            const QRgb c = t.pixel(x, y);
            red += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
            yellow += qRed(c) > 230 && qGreen(c) > 200 && qBlue(c) < 100;
            grey += qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 100 && qRed(c) < 180;
        }
    // big lettering: each covers a good part of the picture
    EXPECT_GT(red, 3000);
    EXPECT_GT(yellow, 3000);
    EXPECT_GT(grey, 1500);
}

}  // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
