#include "ui/windows.h"

#include <algorithm>
#include <iterator>

namespace poromea::ui {
namespace {

const Form& formOf(Window window) { return window == Window::Main ? kForm1 : kForm2; }

}  // namespace

KeyRoute routeKey(Window window, Key key, bool shift, bool holding) {
    // A held card owns the keys wherever they are typed, until the hold ends.
    if (holding) return KeyRoute::Game;
    if (key == Key::Tab) return shift ? KeyRoute::Previous : KeyRoute::Next;
    if (window == Window::Main) return KeyRoute::Game;
    switch (key) {
    case Key::Escape:
        return KeyRoute::Close;  // as a dialog's
    case Key::Other:
        return KeyRoute::PassOn;
    default:
        // The game's keys reach it only from the main window: a digit typed
        // here picks up nothing the player cannot see.
        return KeyRoute::Nothing;
    }
}

Focus focusAsOpened(Window window) {
    if (window == Window::Main) return {Window::Main, kForm1.tabOrder.front()};
    // Its banner is its only control.
    return {Window::Congratulation, kForm2.controls.front().id};
}

Focus focusAsClosed(ControlId mainFocus) {
    const auto& order = kForm1.tabOrder;
    const bool stop = std::find(order.begin(), order.end(), mainFocus) != order.end();
    return {Window::Main, stop ? mainFocus : order.front()};
}

ControlId nextInTabOrder(Window window, ControlId focused, bool backwards) {
    const auto& order = formOf(window).tabOrder;
    if (order.empty()) return focusAsOpened(window).control;
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    const auto at = std::distance(order.begin(), std::find(order.begin(), order.end(), focused));
    if (at == n) return backwards ? order.back() : order.front();
    return order[static_cast<std::size_t>((at + (backwards ? n - 1 : 1)) % n)];
}

}  // namespace poromea::ui
