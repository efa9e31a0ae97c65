// The game's host on Qt Widgets: builds both windows from their layouts,
// hands widget events to the controller and carries out its primitives. It
// decides no rule of its own.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "game/form1.h"
#include "host/qt/picture_library.h"
#include "host/qt/widgets.h"
#include "ui/controller.h"
#include "ui/primitives.h"

namespace poromea::qt {

class QtHost final : public QObject, private ui::Primitives {
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ui::Primitives
    PictureRef loadPicture(std::string_view name) override;
    void showPicture(ImageControl control, const PictureRef& picture, std::string_view description) override;
    void startTimer(int milliseconds) override { timer1_.start(milliseconds); }
    void stopTimer() override { timer1_.stop(); }
    void showWindow(ui::Window window, int x, int y) override;
    void hideWindow(ui::Window window) override;
    bool windowShown(ui::Window window) override;
    std::optional<ui::Window> activeWindow() override;
    void focus(const ui::Focus& where) override;
    ui::ControlId focusedControl(ui::Window window) override;
    void runMessageBox(std::u16string_view prompt, std::u16string_view title, std::string_view heard) override;
    bool messageBoxOpen() override { return false; }
    void showOutline(ui::Point topLeft) override;
    void hideOutline() override;
    void capturePointer(int, int) override {}  // a pressed widget has the mouse until its release
    void releasePointer(int, int) override {}
    int slotAt(ui::Point at) override;
    void announce(std::string_view words) override;
    void showFailure(std::string_view message) override { fatal_(toQString(message)); }
    void endProgram(int status) override;

    ui::Point inForm1(const QPointF& global) const;
    QWidget* windowOf(ui::Window window) const { return window == ui::Window::Main ? form1_.get() : form2_.get(); }
    std::optional<ui::Window> windowOf(const QWidget* widget) const;

    PictureLibrary& pictures_;
    std::unique_ptr<QWidget> form1_;
    std::unique_ptr<QWidget> form2_;
    BuiltForm form1Controls_;
    BuiltForm form2Controls_;
    std::map<ImageControl, PictureBox*> boxes_;  // shown image controls
    DragOutline* outline_ = nullptr;
    Announcer* announcer_ = nullptr;
    QTimer timer1_;
    std::function<void(const QString&)> fatal_;
    ui::Controller game_;
};

}  // namespace poromea::qt
