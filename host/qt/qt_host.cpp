#include "host/qt/qt_host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <exception>

#include "ui/access.h"

namespace poromea::qt {
namespace {


// Mouse buttons and modifier keys as the rules' handlers receive them.
std::int16_t buttonCode(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

std::int16_t shiftCode(Qt::KeyboardModifiers m) {
    return static_cast<std::int16_t>((m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                                     (m & Qt::AltModifier ? 4 : 0));
}

ui::Key keyOf(const QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_1: return ui::Key::Digit1;
    case Qt::Key_2: return ui::Key::Digit2;
    case Qt::Key_3: return ui::Key::Digit3;
    case Qt::Key_4: return ui::Key::Digit4;
    case Qt::Key_5: return ui::Key::Digit5;
    case Qt::Key_6: return ui::Key::Digit6;
    case Qt::Key_Left: return ui::Key::Left;
    case Qt::Key_Right: return ui::Key::Right;
    case Qt::Key_Up: return ui::Key::Up;
    case Qt::Key_Down: return ui::Key::Down;
    case Qt::Key_Return: case Qt::Key_Enter: return ui::Key::Return;
    case Qt::Key_Space: return ui::Key::Space;
    case Qt::Key_Escape: return ui::Key::Escape;
    default: return ui::Key::Other;
    }
}

void reportAndQuit(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ポロメア"), message, QMessageBox::Ok);
    box.exec();
    QCoreApplication::exit(1);
}

}  // namespace

QtHost::QtHost(PictureLibrary& pictures)
    : pictures_(pictures), form1_(std::make_unique<QWidget>()), game_(*this), fatal_(reportAndQuit) {
    form1_->setWindowIcon(QIcon(QStringLiteral(":/pictures/poromea.ico")));
    form1Controls_ = buildForm(ui::kForm1, form1_.get(), pictures_);

    for (const ui::Control& c : ui::kForm1.controls) {
        const auto control = ui::imageControlOf(c);
        if (!control) continue;
        if (c.kind == ui::Kind::Store) {
            stores_[*control] = pictures_.get(toQString(c.picture));
        } else {
            boxes_[*control] = static_cast<PictureBox*>(form1Controls_.control(c.name, c.index));
        }
    }

    for (int i = 0; i < kParts; ++i) {
        PictureBox* card = imageControl(Imgx(i));
        connect(card, &PictureBox::pressed, this, [this, i](QMouseEvent* e) { cardPressed(i, e); });
        connect(card, &PictureBox::moved, this, [this](QMouseEvent* e) { cardMoved(e); });
        connect(card, &PictureBox::released, this, [this](QMouseEvent* e) { cardReleased(e); });
    }
    auto* start = static_cast<QPushButton*>(form1Controls_.control("Command1"));
    auto* check = static_cast<QPushButton*>(form1Controls_.control("Command2"));
    connect(start, &QPushButton::clicked, this, [this] { dispatch("START", [this] { game_.Command1_Click(); }); });
    connect(check, &QPushButton::clicked, this, [this] { dispatch("O  K", [this] { game_.Command2_Click(); }); });
    connect(&timer1_, &QTimer::timeout, this, [this] { dispatch("Timer1", [this] { game_.Timer1_Timer(); }); });

    outline_ = new DragOutline(form1_.get());
    // The game's keys work wherever the focus is in the main window.
    qApp->installEventFilter(this);
}

QtHost::~QtHost() { qApp->removeEventFilter(this); }

void QtHost::showForm1() {
    // Centred with its frame, which is known only once the window is shown.
    const QScreen* screen = QGuiApplication::primaryScreen();
    auto centre = [&] {
        QRect frame = form1_->frameGeometry();
        if (screen) frame.moveCenter(screen->availableGeometry().center());
        form1_->move(frame.topLeft());
    };
    centre();
    form1_->show();
    centre();
    form1Controls_.control("Command1")->setFocus();
}

PictureBox* QtHost::imageControl(ImageControl control) const {
    auto it = boxes_.find(control);
    return it == boxes_.end() ? nullptr : it->second;
}

void QtHost::dispatch(const char* what, const std::function<void()>& handler) {
    if (failed_) return;  // the program is ending; the game's state is no longer trusted
    try {
        handler();
    } catch (const std::exception& e) {
        failed_ = true;
        endDrag();
        timer1_.stop();
        fatal_(QStringLiteral("「%1」の処理でエラーが発生しました。\n%2\nゲームを終了します。")
                   .arg(QString::fromUtf8(what), QString::fromUtf8(e.what())));
    }
}

// --- Host ---

PictureRef QtHost::picture(ImageControl control) {
    if (auto it = stores_.find(control); it != stores_.end()) return it->second;
    if (PictureBox* box = imageControl(control)) return box->picture();
    throw std::out_of_range("no such image control");
}

void QtHost::setPicture(ImageControl control, PictureRef picture) {
    PictureBox* box = imageControl(control);
    if (!box) throw std::out_of_range("the rules may only change shown image controls");
    box->setPicture(std::move(picture));
}

void QtHost::beginDrag(std::int16_t card) {
    if (pendingPress_.card != card) throw std::logic_error("a drag begins only from the card being pressed");
    drag_ = pendingPress_;
    PictureBox* box = imageControl(Imgx(card));
    outline_->setGeometry(QRect(box->pos(), box->size()));
    outline_->raise();
    outline_->show();
    if (drag_.slot >= 0) moveKeyboardOutline(drag_.slot);
}

void QtHost::setTimerInterval(std::int32_t milliseconds) {
    if (milliseconds < 0) throw std::invalid_argument("negative timer interval");
    if (milliseconds == 0) {
        timer1_.stop();
    } else {
        timer1_.start(milliseconds);  // setting it again starts the countdown anew
    }
}

void QtHost::messageBox(std::u16string_view prompt, std::u16string_view title) {
    auto text = [](std::u16string_view s) {
        return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
    };
    QMessageBox box(QMessageBox::NoIcon, text(title), text(prompt), QMessageBox::Ok, form1_.get());
    box.exec();
}

void QtHost::randomize() { random_.reseed(); }

float QtHost::rnd() { return random_.next(); }

void QtHost::showWindow(WindowName window) {
    if (window != WindowName::Form2) throw std::invalid_argument("unknown window");
    if (!form2_) {
        form2_ = std::make_unique<QWidget>();
        form2_->setWindowIcon(form1_->windowIcon());
        buildForm(ui::kForm2, form2_.get(), pictures_);
    }
    if (form2_->isVisible()) return;
    // Opened again, it is back at its designed place even if the player moved it.
    const ui::Form& f = ui::kForm2;
    form2_->setGeometry(ui::pixels(*f.left), ui::pixels(*f.top), ui::pixels(f.clientWidth),
                        ui::pixels(f.clientHeight));
    form2_->show();
    form2_->activateWindow();  // as a new window is, so that it is read out as it opens
}

// --- the drag ---

// A press on a card, by the mouse or by a key, goes to the rules, which
// call beginDrag if a card may be picked up now.
void QtHost::pressCard(const Drag& press, std::int16_t button, std::int16_t shift) {
    pendingPress_ = press;
    const QPointF twips = QPointF(press.grabOffset) * ui::kTwipsPerPixel;
    dispatch(press.slot >= 0 ? "キー" : "マウス", [&] {
        game_.Imgx_MouseDown(press.card, button, shift, static_cast<float>(twips.x()), static_cast<float>(twips.y()));
    });
    pendingPress_ = {};
}

void QtHost::cardPressed(int card, QMouseEvent* event) {
    if (drag_.card >= 0) return;  // another button while dragging
    pressCard({static_cast<std::int16_t>(card), event->button(), event->position().toPoint()},
              buttonCode(event->button()), shiftCode(event->modifiers()));
}

bool QtHost::keyPressed(QKeyEvent* event) {
    using A = ui::KeyCommand::Action;
    const bool mouseDrag = drag_.card >= 0 && drag_.slot < 0;
    const ui::KeyCommand command = ui::keyCommand(keyOf(event), drag_.slot, mouseDrag);
    switch (command.action) {
    case A::PassOn:
        return false;
    case A::Swallow:
        return true;
    case A::PickUp: {
        endDrag();
        const PictureBox* card = imageControl(Imgx(command.target));
        pressCard({static_cast<std::int16_t>(command.target), Qt::LeftButton, card->rect().center(),
                   ui::kFirstKeyboardSlot},
                  1, 0);
        return true;
    }
    case A::Move:
        moveKeyboardOutline(command.target);
        return true;
    case A::Drop:
        endDrag();
        dispatch("ドロップ", [&] { (game_.*kSlotDrops.at(command.target))(); });
        return true;
    case A::PutBack:
        endDrag();
        return true;
    case A::Click:
        if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
            button && button->window() == form1_.get()) {
            button->click();
            return true;
        }
        return false;
    }
    return true;
}

void QtHost::moveKeyboardOutline(int slot) {
    if (drag_.slot >= 0) imageControl(Slot(drag_.slot))->setKeyboardTarget(false);
    drag_.slot = slot;
    PictureBox* box = imageControl(Slot(slot));
    outline_->move(box->pos());
    box->setKeyboardTarget(true);
}

void QtHost::cardMoved(QMouseEvent* event) {
    if (drag_.card < 0) return;
    const QPoint pointer = form1_->mapFromGlobal(event->globalPosition().toPoint());
    outline_->move(pointer - drag_.grabOffset);
}

void QtHost::cardReleased(QMouseEvent* event) {
    if (drag_.card < 0 || event->button() != drag_.button) return;
    endDrag();
    const int slot = slotAt(event->globalPosition().toPoint());
    if (slot < 0) return;  // released anywhere but a slot: nothing happens
    dispatch("ドロップ", [&] { (game_.*kSlotDrops.at(slot))(); });
}

void QtHost::endDrag() {
    if (drag_.card < 0) return;
    if (drag_.slot >= 0) imageControl(Slot(drag_.slot))->setKeyboardTarget(false);
    drag_ = {};
    outline_->hide();
}

int QtHost::slotAt(const QPoint& globalPos) const {
    // The topmost widget there: a slot hidden by another window takes no drop.
    QWidget* hit = QApplication::widgetAt(globalPos);
    if (!hit) {
        if (!form1_->rect().contains(form1_->mapFromGlobal(globalPos))) return -1;
        hit = form1_->childAt(form1_->mapFromGlobal(globalPos));
    }
    for (int k = 0; k < kParts; ++k) {
        if (hit && hit == imageControl(Slot(k))) return k;
    }
    return -1;
}

bool QtHost::eventFilter(QObject* watched, QEvent* event) {
    const bool dragging = drag_.card >= 0;
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Keys reach the game from the main window, or from anywhere while a
        // card is held: until the drag ends, keys belong to it.
        if (failed_) return dragging;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!dragging && (!widget || widget->window() != form1_.get())) return false;
        return keyPressed(static_cast<QKeyEvent*>(event));
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return dragging;
    case QEvent::MouseButtonPress:
        // A press of the mouse ends a keyboard drag first, as Escape would.
        if (drag_.slot >= 0) endDrag();
        return false;
    case QEvent::WindowDeactivate:
        if (dragging && watched == form1_.get()) endDrag();
        return false;
    default:
        return false;
    }
}

}  // namespace poromea::qt
