// A recording desktop: every primitive a host carries out, kept where a test can read it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/primitives.h"

namespace poromea::ui {

struct Named : Picture {
    explicit Named(std::string n) : name(std::move(n)) {}
    std::string name;
};

class Desktop : public Primitives {
public:
    explicit Desktop(bool boxWaits = true) : boxWaits_(boxWaits) {}

    PictureRef loadPicture(std::string_view name) override {
        auto& p = library_[std::string(name)];
        if (!p) p = std::make_shared<Named>(std::string(name));
        return p;
    }
    void showPicture(ImageControl c, const PictureRef& p, std::string_view description) override {
        shown[c] = static_cast<const Named&>(*p).name;
        described[c] = description;
    }
    void startTimer(int ms) override { timer = ms; }
    void stopTimer() override { timer = 0; }
    void showWindow(Window w, int x, int y) override {
        open[w] = true;
        placed.push_back(std::to_string(x) + "," + std::to_string(y));
        active = w;
    }
    void hideWindow(Window w) override {
        open[w] = false;
        if (active == w) active = std::nullopt;
    }
    bool windowShown(Window w) override { return open[w]; }
    std::optional<Window> activeWindow() override { return active; }
    void focus(const Focus& f) override {
        active = f.window;
        focused[f.window] = f.control;
    }
    ControlId focusedControl(Window w) override { return focused[w]; }
    void runMessageBox(std::u16string_view, std::u16string_view title, std::string_view) override {
        boxes.emplace_back(title);
        boxOpen = !boxWaits_;
    }
    bool messageBoxOpen() override { return boxOpen; }
    void showOutline(Point p) override { outline = std::to_string(int(p.x)) + "," + std::to_string(int(p.y)); }
    void hideOutline() override { outline.clear(); }
    void capturePointer(int card, int pointer) override { captured[card] = pointer; }
    void releasePointer(int card, int pointer) override {
        if (captured.count(card) && captured[card] == pointer) captured.erase(card);
    }
    int slotAt(Point) override { return dropOn; }
    void announce(std::string_view w) override { said.emplace_back(w); }
    void endAfterFailure(std::string_view m) override { failures.emplace_back(m); }

    std::map<ImageControl, std::string> shown, described;
    int timer = 0;
    std::map<Window, bool> open{{Window::Main, true}};
    std::vector<std::string> placed, said, failures;
    std::optional<Window> active = Window::Main;
    std::map<Window, ControlId> focused;
    std::vector<std::u16string> boxes;
    std::string outline;  // where the held card's outline stands, empty while hidden
    std::map<int, int> captured;  // card -> pointer
    int dropOn = -1;  // the slot under the pointer
    bool boxOpen = false;  // a page's box, until the player closes it

private:
    bool boxWaits_;
    std::map<std::string, PictureRef> library_;
};

}  // namespace poromea::ui
