#include "host/qt/qt_host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <stdexcept>

#include "ui/access.h"
#include "ui/layout.h"
#include "ui/windows.h"

namespace poromea::qt {
namespace {


// Mouse buttons and modifier keys as the rules' handlers receive them.
int buttonCode(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return ui::kLeftButton;
    case Qt::RightButton: return ui::kRightButton;
    case Qt::MiddleButton: return ui::kMiddleButton;
    default: return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
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
    case Qt::Key_Tab: case Qt::Key_Backtab: return ui::Key::Tab;
    default: return ui::Key::Other;
    }
}

void reportAndQuit(const QString& message) {
    QMessageBox box(QMessageBox::Critical, toQString(ui::kForm1.caption), message, QMessageBox::Ok);
    box.exec();
    QCoreApplication::exit(1);
}

}  // namespace

QtHost::QtHost(PictureLibrary& pictures, std::int32_t memoriseMs)
    : pictures_(pictures), form1_(std::make_unique<QWidget>()), game_(*this, memoriseMs), hand_(game_, *this),
      fatal_(reportAndQuit) {
    form1_->setWindowIcon(QIcon(QStringLiteral(":/pictures/poromea.ico")));
    form1Controls_ = buildForm(ui::kForm1, form1_.get(), pictures_);
    for (const ui::Store& s : ui::kForm1.stores) stores_[s.control] = pictures_.get(toQString(s.picture));
    for (const ui::Control& c : ui::kForm1.controls) {
        if (c.reached) boxes_[*c.reached] = static_cast<PictureBox*>(form1Controls_.control(c.name, c.index));
    }

    for (int i = 0; i < kParts; ++i) {
        PictureBox* card = imageControl(Imgx(i));
        connect(card, &PictureBox::pressed, this, [this, i](QMouseEvent* e) {
            hand_.cardPressed(i, {0, buttonCode(e->button()), shiftCode(e->modifiers()),
                                  {e->position().x(), e->position().y()}});
        });
        connect(card, &PictureBox::moved, this,
                [this](QMouseEvent* e) { hand_.pointerMoved(0, inForm1(e->globalPosition())); });
        connect(card, &PictureBox::released, this, [this](QMouseEvent* e) {
            hand_.pointerReleased(0, buttonCode(e->button()), inForm1(e->globalPosition()));
        });
    }
    using Button = ui::Interaction::Button;
    auto* start = static_cast<QPushButton*>(form1Controls_.control("Command1"));
    auto* check = static_cast<QPushButton*>(form1Controls_.control("Command2"));
    connect(start, &QPushButton::clicked, this, [this] { hand_.buttonClicked(Button::Start); });
    connect(check, &QPushButton::clicked, this, [this] { hand_.buttonClicked(Button::Check); });
    // A coarse timer may end the memorising time a twentieth early.
    timer1_.setTimerType(Qt::PreciseTimer);
    // Named in the host's object tree, where the tests find it as they find the controls.
    timer1_.setParent(this);
    timer1_.setObjectName(QStringLiteral("Timer1"));
    connect(&timer1_, &QTimer::timeout, this, [this] { hand_.timerElapsed(); });

    announcer_ = new Announcer(form1_.get());
    outline_ = new DragOutline(form1_.get());
    const ui::PixelRect card = ui::controlFor(Imgx(0)).pixelRect();  // every card has the same size
    outline_->resize(card.width, card.height);
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

void QtHost::beginDrag(std::int16_t card) { hand_.beginDrag(card); }

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
    if (const auto spoken = ui::spokenMessage(prompt)) {
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            label->setAccessibleName(QString::fromStdString(*spoken));
        }
    }
    box.exec();
}

void QtHost::randomize() { random_.reseed(); }

float QtHost::rnd() { return random_.next(); }

void QtHost::showWindow(WindowName window) {
    if (window != WindowName::Form2) throw std::invalid_argument("unknown window");
    if (!form2_) {
        form2_ = std::make_unique<QWidget>();
        form2_->setWindowIcon(form1_->windowIcon());
        form2Controls_ = buildForm(ui::kForm2, form2_.get(), pictures_);
    }
    if (form2_->isVisible()) return;
    // Opened again, it is back at its designed place even if the player moved it.
    const ui::Form& f = ui::kForm2;
    form2_->setGeometry(ui::pixels(*f.left), ui::pixels(*f.top), ui::pixels(f.clientWidth),
                        ui::pixels(f.clientHeight));
    form2_->show();
    form2_->activateWindow();  // as a new window is, so that it is read out as it opens
    focus(ui::focusAsOpened(ui::Window::Congratulation));
}

void QtHost::focus(const ui::Focus& where) {
    const BuiltForm& controls = where.window == ui::Window::Main ? form1Controls_ : form2Controls_;
    QWidget* control = controls.control(where.control);
    if (!control) throw std::out_of_range("no control to focus there");
    if (control->focusPolicy() == Qt::NoFocus) control->setFocusPolicy(Qt::StrongFocus);
    control->setFocus();
}

QWidget* QtHost::mainFocus() const {
    QWidget* f = form1_->focusWidget();  // the one it had when it was last active
    return f ? f : form1_.get();
}

// --- the surface of the shared interaction ---

ui::Point QtHost::inForm1(const QPointF& global) const {
    const QPointF p = form1_->mapFromGlobal(global);
    return {p.x(), p.y()};
}

void QtHost::showOutline(ui::Point topLeft) {
    outline_->move(static_cast<int>(topLeft.x), static_cast<int>(topLeft.y));
    outline_->raise();
    outline_->show();
}

void QtHost::hideOutline() { outline_->hide(); }

int QtHost::slotAt(ui::Point at) {
    // The topmost widget there: a slot hidden by another window takes no drop.
    const QPoint local(static_cast<int>(at.x), static_cast<int>(at.y));
    QWidget* hit = QApplication::widgetAt(form1_->mapToGlobal(local));
    if (!hit && form1_->rect().contains(local)) hit = form1_->childAt(local);
    for (int k = 0; k < kParts; ++k) {
        if (hit && hit == imageControl(Slot(k))) return k;
    }
    return -1;
}

bool QtHost::pressFocusedButton() {
    auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (!button || button->window() != form1_.get()) return false;
    button->click();
    return true;
}

std::string QtHost::pictureName(ImageControl control) {
    const PictureBox* box = imageControl(control);
    return box ? box->pictureName().toStdString() : std::string();
}

void QtHost::announce(std::string_view words) {
    announcer_->say(toQString(words));
}

void QtHost::reportFailure(std::string_view message) {
    timer1_.stop();
    fatal_(toQString(message));
}

bool QtHost::eventFilter(QObject* watched, QEvent* event) {
    const bool holding = hand_.holding();
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool inForm1 = widget && widget->window() == form1_.get();
    switch (event->type()) {
    case QEvent::KeyPress: {
        const bool inForm2 = form2_ && widget && widget->window() == form2_.get();
        if (!holding && !inForm1 && !inForm2) return false;  // a message box's own keys
        const auto* e = static_cast<QKeyEvent*>(event);
        const ui::Window window = inForm2 ? ui::Window::Congratulation : ui::Window::Main;
        switch (ui::routeKey(window, keyOf(e), e->key() == Qt::Key_Backtab || e->modifiers() & Qt::ShiftModifier,
                             holding)) {
        case ui::KeyRoute::Game:
            return hand_.keyPressed(keyOf(e));
        case ui::KeyRoute::Close:
            form2_->close();
            return true;
        case ui::KeyRoute::Next:
        case ui::KeyRoute::Previous: {
            const bool backwards = e->key() == Qt::Key_Backtab || e->modifiers() & Qt::ShiftModifier;
            QWidget* from = inForm2 ? QApplication::focusWidget() : mainFocus();
            hand_.run("キー", [&] {
                focus({window, ui::nextInTabOrder(window, from ? from->objectName().toStdString() : "", backwards)});
            });
            return true;
        }
        case ui::KeyRoute::Nothing:
            return true;
        case ui::KeyRoute::PassOn:
            return false;
        }
        return false;
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return holding;
    case QEvent::MouseButtonPress:
        if (inForm1) hand_.pointerDown();
        return false;
    case QEvent::WindowDeactivate:
        if (watched == form1_.get()) hand_.windowDeactivated();
        return false;
    case QEvent::Close:
        // However it is closed, the keys go back to the main window, where they were.
        if (watched == form2_.get() && form1_->isVisible()) {
            hand_.run("ウィンドウ", [this] {
                form1_->activateWindow();
                focus(ui::focusAsClosed(mainFocus()->objectName().toStdString()));
            });
        }
        return false;
    default:
        return false;
    }
}

}  // namespace poromea::qt
