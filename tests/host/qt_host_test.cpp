// What only the Qt host decides about the main window: where it opens and
// the labels' faces. Everything a player does is in the shared scenarios.
#include <gtest/gtest.h>

#include <QLabel>
#include <QScreen>
#include <QTest>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"

namespace poromea::qt {
namespace {

TEST(QtWindows, MainWindowOpensCentredWithItsLabels) {
    PictureLibrary pictures;
    QtHost host(pictures);
    host.showForm1();
    QWidget* w = host.form1();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_LE((w->frameGeometry().center() - w->screen()->availableGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "not resizable";
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(255, 255, 0));

    // The game's own words, on one line, in a Japanese face of the designed style.
    const QStringList words{"しっかり見て、しっかり覚えて", "ドラッグ＆ドロップ！！", "(ヒント\u3000右目にほくろがあるよ。)"};
    const QStringList faces{"Mincho", "Mincho", "Gothic"};
    for (int i = 0; i < 3; ++i) {
        auto* label = host.form1()->findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), words[i]);
        EXPECT_LE(label->sizeHint().width(), label->width()) << "fits on one line";
        EXPECT_TRUE(QFontInfo(label->font()).family().contains(faces[i])) << QFontInfo(label->font()).family().toStdString();
    }
}

}  // namespace
}  // namespace poromea::qt
