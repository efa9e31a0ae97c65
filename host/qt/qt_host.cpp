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

// The main row's digits by their place, whatever the layout writes there (French AZERTY gives &é"'( there
// unshifted): X's key codes 10 to 15, which Wayland's keyboards share, are that row's 1 to 6. The keypad's
// digits, and every key where the platform gives no such code, by what the key means.
ui::Key keyOf(const QKeyEvent* e) {
    static const bool xKeyCodes =
        QGuiApplication::platformName() == QLatin1String("xcb") || QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (const quint32 code = e->nativeScanCode(); xKeyCodes && code >= 10 && code <= 15 && !(e->modifiers() & Qt::KeypadModifier)) {
        return static_cast<ui::Key>(static_cast<int>(ui::Key::Digit1) + static_cast<int>(code - 10));
    }
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

void report(const QString& message) {
    QMessageBox box(QMessageBox::Critical, toQString(ui::kForm1.caption), message, QMessageBox::Ok);
    box.exec();
}

}  // namespace

QtHost::QtHost(PictureLibrary& pictures, std::int32_t memoriseMs)
    : pictures_(pictures), form1_(std::make_unique<QWidget>()), fatal_(report), game_(*this, memoriseMs) {
    // The .ico's 16 and 32 pixels; on a dense screen the desktop's 48 and 64 too, for its title bar (decoding
    // them costs an ordinary screen's start-up 2 % more instructions for nothing).
    QIcon icon(QStringLiteral(":/pictures/poromea.ico"));
    if (form1_->devicePixelRatioF() > 1) {
        for (int size : {48, 64}) icon.addFile(QStringLiteral(":/pictures/icons/poromea-%1.png").arg(size));
    }
    form1_->setWindowIcon(icon);
    form1Controls_ = buildForm(ui::kForm1, form1_.get(), pictures_);
    for (const ui::Control& c : ui::kForm1.controls) {
        if (c.image) boxes_[*c.image] = static_cast<PictureBox*>(form1Controls_.control(c.name, c.index));
    }

    for (int i = 0; i < kParts; ++i) {
        PictureBox* card = imageControl(Imgx(i));
        connect(card, &PictureBox::pressed, this, [this, i](QMouseEvent* e) {
            game_.cardPressed(i, {0, buttonCode(e->button()), shiftCode(e->modifiers()),
                                  {e->position().x(), e->position().y()}});
        });
        connect(card, &PictureBox::moved, this,
                [this](QMouseEvent* e) { game_.pointerMoved(0, inForm1(e->globalPosition())); });
        connect(card, &PictureBox::released, this, [this](QMouseEvent* e) {
            game_.pointerReleased(0, buttonCode(e->button()), inForm1(e->globalPosition()));
        });
    }
    for (const ui::Control& c : ui::kForm1.controls) {
        if (c.kind != ui::Kind::Button) continue;
        connect(static_cast<QPushButton*>(form1Controls_.ids.at(c.id)), &QPushButton::clicked, this,
                [this, id = c.id] { game_.buttonClicked(id); });
    }
    // A coarse timer may end the memorising time a twentieth early.
    timer1_.setTimerType(Qt::PreciseTimer);
    // Named in the host's object tree, where the tests find it as they find the controls.
    timer1_.setParent(this);
    timer1_.setObjectName(QStringLiteral("Timer1"));
    connect(&timer1_, &QTimer::timeout, this, [this] { game_.timerElapsed(); });

    announcer_ = new Announcer(form1_.get());
    outline_ = new DragOutline(form1_.get());
    const ui::PixelRect card = ui::controlFor(Imgx(0)).pixelRect();  // every card has the same size
    outline_->resize(card.width, card.height);
    // The game's keys work wherever the focus is in the main window.
    qApp->installEventFilter(this);
    QGuiApplication::setQuitOnLastWindowClosed(false);  // the controller says when the program ends
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
    game_.mainWindowShown();
}

PictureBox* QtHost::imageControl(ImageControl control) const {
    auto it = boxes_.find(control);
    return it == boxes_.end() ? nullptr : it->second;
}

// --- primitives ---

PictureRef QtHost::loadPicture(std::string_view name) { return pictures_.get(toQString(name)); }

void QtHost::showPicture(ImageControl control, const PictureRef& picture, std::string_view description) {
    PictureBox* box = imageControl(control);
    if (!box) throw std::out_of_range("no shown image control there");
    box->setPicture(picture, toQString(description));
}

void QtHost::showWindow(ui::Window window, int x, int y) {
    if (window == ui::Window::Main) return form1_->show();
    if (!form2_) {
        form2_ = std::make_unique<QWidget>();
        form2_->setWindowIcon(form1_->windowIcon());
        form2Controls_ = buildForm(ui::kForm2, form2_.get(), pictures_);
    }
    form2_->setGeometry(x, y, ui::pixels(ui::kForm2.clientWidth), ui::pixels(ui::kForm2.clientHeight));
    form2_->show();
    form2_->raise();
    form2_->activateWindow();
}

void QtHost::hideWindow(ui::Window window) {
    if (QWidget* w = windowOf(window)) w->hide();
}

bool QtHost::windowShown(ui::Window window) {
    const QWidget* w = windowOf(window);
    return w && w->isVisible();
}

std::optional<ui::Window> QtHost::windowOf(const QWidget* widget) const {
    const QWidget* w = widget ? widget->window() : nullptr;
    if (w && w == form1_.get()) return ui::Window::Main;
    if (w && w == form2_.get()) return ui::Window::Congratulation;
    return std::nullopt;
}

std::optional<ui::Window> QtHost::activeWindow() { return windowOf(QApplication::activeWindow()); }

void QtHost::focus(const ui::Focus& where) {
    QWidget* window = windowOf(where.window);
    const BuiltForm& controls = where.window == ui::Window::Main ? form1Controls_ : form2Controls_;
    const auto found = controls.ids.find(where.control);
    QWidget* control = window && found != controls.ids.end() ? found->second : nullptr;
    if (!control) throw std::out_of_range("no control to focus there");
    if (control->focusPolicy() == Qt::NoFocus) control->setFocusPolicy(Qt::StrongFocus);
    if (!window->isActiveWindow()) window->activateWindow();
    control->setFocus();
}

ui::ControlId QtHost::focusedControl(ui::Window window) {
    const QWidget* w = windowOf(window);
    const QWidget* f = QApplication::focusWidget();
    if (!w || !f || f->window() != w) return ui::ControlId::None;
    return (window == ui::Window::Main ? form1Controls_ : form2Controls_).idOf(f);
}

void QtHost::runMessageBox(std::u16string_view prompt, std::u16string_view title, std::string_view heard) {
    auto text = [](std::u16string_view s) {
        return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
    };
    QMessageBox box(QMessageBox::NoIcon, text(title), text(prompt), QMessageBox::Ok, form1_.get());
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")); label && !heard.empty()) {
        label->setAccessibleName(toQString(heard));
    }
    box.exec();
}

// Queued: a failure met as the main window is first shown comes before the event loop, which an exit
// called now would not end.
void QtHost::endProgram(int status) {
    QMetaObject::invokeMethod(qApp, [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
}

// --- the held card, and what is said ---

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

void QtHost::announce(std::string_view words) {
    announcer_->say(toQString(words));
}

bool QtHost::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* e = static_cast<QKeyEvent*>(event);
        const bool shift = e->key() == Qt::Key_Backtab || e->modifiers() & Qt::ShiftModifier;
        return game_.keyPressed(windowOf(widget), keyOf(e), shift,
                                e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return game_.keyReleased();
    case QEvent::MouseButtonPress:
        if (windowOf(widget) == ui::Window::Main) game_.pointerDown();
        return false;
    case QEvent::WindowActivate:
        if (widget && widget->isWindow() && windowOf(widget)) game_.windowActivated(*windowOf(widget));
        return false;
    case QEvent::WindowDeactivate:
        if (watched == form1_.get()) game_.windowDeactivated();
        return false;
    case QEvent::Close:
        // Refused, the window stays; accepted, the controller has hidden it already.
        if (const auto window = windowOf(widget); window && widget->isWindow() && !game_.closeRequested(*window)) {
            event->ignore();
            return true;
        }
        return false;
    default:
        return false;
    }
}

}  // namespace poromea::qt
