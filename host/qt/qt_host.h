// The game's host on Qt Widgets: builds both windows from their layouts,
// turns widget events into the rules' handlers and carries out what the rules
// ask for. It decides no rule of its own.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "game/form1.h"
#include "game/host.h"
#include "host/random.h"
#include "host/qt/picture_library.h"
#include "host/qt/widgets.h"

namespace poromea::qt {

class QtHost final : public QObject, public Host {
    Q_OBJECT
public:
    // Builds the main window (not shown yet). Throws if a picture is missing.
    explicit QtHost(PictureLibrary& pictures);
    ~QtHost() override;

    QWidget* form1() const { return form1_.get(); }
    QWidget* form2() const { return form2_.get(); }  // null until the first correct answer
    const BuiltForm& form1Controls() const { return form1Controls_; }
    PictureBox* imageControl(ImageControl control) const;
    QTimer& timer1() { return timer1_; }
    const Form1& game() const { return game_; }

    // Shows the main window centred on its screen, START holding the focus.
    void showForm1();

    // Called when a handler or host operation failed; by default reports it
    // in a message box and ends the event loop with status 1.
    void setFatalHandler(std::function<void(const QString&)> handler) { fatal_ = std::move(handler); }

    // Host
    PictureRef picture(ImageControl control) override;
    void setPicture(ImageControl control, PictureRef picture) override;
    void beginDrag(std::int16_t card) override;
    void setTimerInterval(std::int32_t milliseconds) override;
    void messageBox(std::u16string_view prompt, std::u16string_view title) override;
    void randomize() override;
    float rnd() override;
    void showWindow(WindowName window) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Drag {
        std::int16_t card = -1;
        Qt::MouseButton button = Qt::NoButton;
        QPoint grabOffset;  // pointer position inside the card when pressed
        int slot = -1;      // held by the keyboard: the slot under the outline
    };

    // Runs one handler of the rules; a failure is reported and ends the game.
    void dispatch(const char* what, const std::function<void()>& handler);
    void pressCard(const Drag& press, std::int16_t button, std::int16_t shift);
    void cardPressed(int card, QMouseEvent* event);
    bool keyPressed(QKeyEvent* event);
    void moveKeyboardOutline(int slot);
    void cardMoved(QMouseEvent* event);
    void cardReleased(QMouseEvent* event);
    void endDrag();
    int slotAt(const QPoint& globalPos) const;

    PictureLibrary& pictures_;
    std::unique_ptr<QWidget> form1_;
    std::unique_ptr<QWidget> form2_;
    BuiltForm form1Controls_;
    std::map<ImageControl, PictureBox*> boxes_;  // shown image controls
    std::map<ImageControl, PictureRef> stores_;  // picture stores
    DragOutline* outline_ = nullptr;
    QTimer timer1_;
    ClockSeededRandom random_;
    Form1 game_;
    Drag drag_;
    Drag pendingPress_;  // the press being handled, for beginDrag
    bool failed_ = false;
    std::function<void(const QString&)> fatal_;
};

}  // namespace poromea::qt
