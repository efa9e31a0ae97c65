// The windows' rules: where a key goes from each window, and where the focus
// stands as the congratulation window opens and closes.
#include <gtest/gtest.h>

#include "ui/windows.h"

namespace poromea::ui {
namespace {

TEST(WindowsInteraction, TheGamesKeysReachItOnlyFromTheMainWindowUnlessACardIsHeld) {
    for (Key k : {Key::Digit1, Key::Digit6, Key::Left, Key::Down, Key::Return, Key::Space, Key::Escape, Key::Other}) {
        EXPECT_EQ(routeKey(Window::Main, k, false, false), KeyRoute::Game);
        EXPECT_EQ(routeKey(Window::Main, k, false, true), KeyRoute::Game);
        EXPECT_EQ(routeKey(Window::Congratulation, k, false, true), KeyRoute::Game);  // a held card owns the keys
    }
    for (Key k : {Key::Digit1, Key::Digit6, Key::Left, Key::Right, Key::Up, Key::Down, Key::Return, Key::Space}) {
        EXPECT_EQ(routeKey(Window::Congratulation, k, false, false), KeyRoute::Nothing);
    }
    EXPECT_EQ(routeKey(Window::Congratulation, Key::Escape, false, false), KeyRoute::Close);
    EXPECT_EQ(routeKey(Window::Congratulation, Key::Other, false, false), KeyRoute::PassOn);
}

TEST(WindowsInteraction, TabGoesRoundTheWindowItIsTypedIn) {
    EXPECT_EQ(routeKey(Window::Main, Key::Tab, false, false), KeyRoute::Next);
    EXPECT_EQ(routeKey(Window::Main, Key::Tab, true, false), KeyRoute::Previous);
    EXPECT_EQ(routeKey(Window::Congratulation, Key::Tab, false, false), KeyRoute::Next);
    EXPECT_EQ(routeKey(Window::Main, Key::Tab, false, true), KeyRoute::Game);  // the held card's
    EXPECT_EQ(nextInTabOrder(Window::Main, "Command1", false), "Command2");
    EXPECT_EQ(nextInTabOrder(Window::Main, "Command2", false), "Command1");
    EXPECT_EQ(nextInTabOrder(Window::Main, "Command1", true), "Command2");
    EXPECT_EQ(nextInTabOrder(Window::Main, "", false), "Command1");
    EXPECT_EQ(nextInTabOrder(Window::Main, "", true), "Command2");
    EXPECT_EQ(nextInTabOrder(Window::Congratulation, "Image1", false), "Image1");
    EXPECT_EQ(nextInTabOrder(Window::Congratulation, "Image1", true), "Image1");
}

TEST(WindowsInteraction, TheFocusAsTheCongratulationWindowOpensAndCloses) {
    EXPECT_EQ(focusAsOpened(Window::Main), (Focus{Window::Main, "Command1"}));
    EXPECT_EQ(focusAsOpened(Window::Congratulation), (Focus{Window::Congratulation, "Image1"}));
    EXPECT_EQ(focusAsClosed("Command2"), (Focus{Window::Main, "Command2"}));
    EXPECT_EQ(focusAsClosed("Command1"), (Focus{Window::Main, "Command1"}));
    EXPECT_EQ(focusAsClosed(""), (Focus{Window::Main, "Command1"}));
    EXPECT_EQ(focusAsClosed("Image2"), (Focus{Window::Main, "Command1"}));
}

}  // namespace
}  // namespace poromea::ui
