// What only the Qt host decides about the main window: where it opens and
// the labels' faces. Everything a player does is in the shared scenarios.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

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

// A failure before the event loop runs (START with a time the timer refuses) is reported, then the loop ends with 1.
TEST(QtWindows, AFailureBeforeTheEventLoopEndsIt) {
    PictureLibrary pictures;
    QtHost host(pictures, -1);
    QString said;
    QTimer answer, never;  // answers the report as it shows; gives up on a loop that does not end
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) said = box->text(), box->done(0);
    });
    QObject::connect(&never, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    answer.start(10), never.start(5000);
    host.showForm1();
    host.form1()->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(QCoreApplication::exec(), 1);
    EXPECT_EQ(said, "「START」の処理でエラーが発生しました。\nnegative timer interval\nゲームを終了します。");
}

}  // namespace
}  // namespace poromea::qt
