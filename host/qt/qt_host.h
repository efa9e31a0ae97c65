// The game's host on Qt Widgets: builds both windows from their layouts,
// hands widget events to the shared interaction and carries out what the
// rules and the interaction ask for. It decides no rule of its own.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "game/form1.h"
#include "game/host.h"
#include "host/random.h"
#include "host/qt/picture_library.h"
#include "host/qt/widgets.h"
#include "ui/interaction.h"
#include "ui/windows.h"

namespace poromea::qt {

class QtHost final : public QObject, public Host, private ui::Surface {
    Q_OBJECT
public:
    // Builds the main window (not shown yet). Throws if a picture is missing.
    explicit QtHost(PictureLibrary& pictures, std::int32_t memoriseMs = kMemoriseMs);
    ~QtHost() override;

    QWidget* form1() const { return form1_.get(); }
    QWidget* form2() const { return form2_.get(); }  // null until the first correct answer
    PictureBox* imageControl(ImageControl control) const;

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
    // ui::Surface
    void showOutline(ui::Point topLeft) override;
    void hideOutline() override;
    void capturePointer(int, int) override {}  // a pressed widget has the mouse until its release
    void releasePointer(int, int) override {}
    int slotAt(ui::Point at) override;
    bool pressFocusedButton() override;
    std::string pictureName(ImageControl control) override;
    void announce(std::string_view words) override;
    void reportFailure(std::string_view message) override;

    ui::Point inForm1(const QPointF& global) const;
    // Moves the focus where the windows' rules say, into an active window.
    void focus(const ui::Focus& where);
    QWidget* mainFocus() const;

    PictureLibrary& pictures_;
    std::unique_ptr<QWidget> form1_;
    std::unique_ptr<QWidget> form2_;
    BuiltForm form1Controls_;
    BuiltForm form2Controls_;
    std::map<ImageControl, PictureBox*> boxes_;  // shown image controls
    std::map<ImageControl, PictureRef> stores_;  // picture stores
    DragOutline* outline_ = nullptr;
    Announcer* announcer_ = nullptr;
    QTimer timer1_;
    ClockSeededRandom random_;
    Form1 game_;
    ui::Interaction hand_;
    std::function<void(const QString&)> fatal_;
};

}  // namespace poromea::qt
