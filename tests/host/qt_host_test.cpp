// What only the Qt host decides: how its widgets realise the layouts.
// Everything a player does is in the shared scenarios (qt_driver.cpp).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "host/qt/picture_library.h"
#include "host/qt/qt_host.h"

namespace poromea::qt {
namespace {

const QStringList kLabels{"しっかり見て、しっかり覚えて", "ドラッグ＆ドロップ！！", "(ヒント\u3000右目にほくろがあるよ。)"};

TEST(QtWindows, MainWindowRealisesItsLayout) {
    PictureLibrary pictures;
    QtHost host(pictures);
    host.showForm1();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.form1()));
    QWidget* w = host.form1();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("ポロメア"));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "not resizable";
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_FALSE(w->windowIcon().isNull());
    const QPoint offCentre = w->frameGeometry().center() - w->screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2) << "centred on the screen";

    for (const ui::Control& c : ui::kForm1.controls) {
        QWidget* widget = host.form1Controls().control(c.name, c.index);
        if (c.kind == ui::Kind::Store || c.kind == ui::Kind::Timer) {
            EXPECT_EQ(widget, nullptr) << "never shown: " << c.name;
            continue;
        }
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(widget->geometry(), pixelRect(c)) << c.name;
        EXPECT_EQ(widget->accessibleName(), toQString(c.accessibleName)) << c.name;
        auto* label = qobject_cast<QLabel*>(widget);
        if (!label) continue;
        EXPECT_TRUE(kLabels.contains(label->text())) << label->text().toStdString();
        EXPECT_LE(label->sizeHint().width(), label->width()) << "fits on one line: " << c.name;
        EXPECT_EQ(label->palette().color(label->backgroundRole()), QColor(255, 255, 0));
        // The designed faces are missing here; a Japanese face of the same style stands in.
        const QString family = QFontInfo(label->font()).family();
        EXPECT_TRUE(family.contains(c.font->fallback.find("Gothic") != std::string_view::npos ? "Gothic" : "Mincho"))
            << family.toStdString();
    }
}

TEST(QtWindows, TabMovesBetweenTheTwoButtonsOnly) {
    PictureLibrary pictures;
    QtHost host(pictures);
    host.showForm1();
    QApplication::setActiveWindow(host.form1());
    QWidget* start = host.form1Controls().control("Command1");
    EXPECT_EQ(QApplication::focusWidget(), start);
    QTest::keyClick(start, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), host.form1Controls().control("Command2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), start);
}

}  // namespace
}  // namespace poromea::qt
