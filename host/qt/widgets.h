// Widgets built from the window layouts.
#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <map>
#include <string_view>

#include "game/host.h"
#include "host/qt/picture_library.h"
#include "ui/layout.h"

namespace poromea::qt {

// An image control: shows its picture at natural size from its top left
// corner (clipped by the control), or scaled to fill the control.
class PictureBox final : public QWidget {
    Q_OBJECT
public:
    PictureBox(QWidget* parent, bool stretch);

    const PictureRef& picture() const { return picture_; }
    // `description`: what a screen reader is told the control shows now ("カード 3 の うら").
    void setPicture(PictureRef picture, QString description);
    QString pictureName() const { return picture_ ? qtPicture(picture_).name : QString(); }
    const QString& description() const { return description_; }

signals:
    void pressed(QMouseEvent* event);
    void moved(QMouseEvent* event);
    void released(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override { emit pressed(e); }
    void mouseMoveEvent(QMouseEvent* e) override { emit moved(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { emit released(e); }

private:
    bool stretch_;
    PictureRef picture_;
    QString description_;
    QPixmap scaled_;  // what is drawn, in device pixels: scaled once per picture, size and density
};

// The outline that follows the pointer while a card is dragged.
class DragOutline final : public QWidget {
    Q_OBJECT
public:
    explicit DragOutline(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
};

// Says a line through the screen reader: a notification that shows itself
// anew with the line as its name. Screen readers speak a notification as it
// appears, wherever their focus is. It takes no room and no mouse.
class Announcer final : public QWidget {
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent);
    void say(const QString& words);
};

// A window's controls, built from its layout.
struct BuiltForm {
    QHash<QString, QWidget*> controls;  // by their keys: "Image2", "Imgx(3)", "Command1", ...
    std::map<ui::ControlId, QWidget*> ids;  // the buttons and the banner
    QWidget* control(std::string_view name, int index = -1) const;
    ui::ControlId idOf(const QWidget* widget) const;  // None for a control without one
};

QString toQString(std::string_view utf8);

// Sizes `window` to the layout's client area and fills it with the layout's controls.
BuiltForm buildForm(const ui::Form& form, QWidget* window, PictureLibrary& pictures);

}  // namespace poromea::qt
