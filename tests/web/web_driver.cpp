// The host scenarios on the page: this program plays them, and a browser driver (tests/web/scenarios.test.mjs) carries
// out each step in Chromium with real input and reads back what the page shows. They talk in lines, this program
// writing commands to descriptor 3 and reading each answer from descriptor 4, so the scenarios stay as synchronous as
// on a desktop.
//
//   web_scenarios --list    the scenarios' names, one a line
//   web_scenarios NAME      plays one; exit status 0 when every check held
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "tests/host/scenarios.h"

namespace poromea::scenarios {
namespace {

int failures = 0;

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(by, from)) != std::string::npos; from = at + 1) out.push_back(text.substr(from, at - from));
    out.push_back(text.substr(from));
    return out;
}

Rect rectFrom(const std::string& text) {
    Rect r{};
    std::sscanf(text.c_str(), "%d %d %d %d", &r.left, &r.top, &r.width, &r.height);
    return r;
}

class WebDriver final : public Driver {
public:
    WebDriver(std::FILE* out, std::FILE* in) : out_(out), in_(in) {}

    // One command, one answer: the browser has handled the input when it answers.
    std::string ask(const std::string& command) {
        if (command.rfind("picture", 0) != 0) pictures_.clear();  // anything but a look may change them
        std::fprintf(out_, "%s\n", command.c_str());
        std::fflush(out_);
        std::string answer;  // a newline inside it comes as the record separator
        for (int ch; (ch = std::fgetc(in_)) != EOF && ch != '\n';) answer += ch == '\x1e' ? '\n' : static_cast<char>(ch);
        return answer;
    }

    void click(std::string_view button) override {
        const auto steps = std::exchange(underBox_, {});
        if (steps) ask("holdboxes");
        ask("click\t" + std::string(button));
        if (steps) {
            steps();
            ask("answerboxes");
        }
    }
    void press(int card, Button button) override {
        static constexpr const char* kNames[] = {"left", "right", "middle", "back"};
        ask("press\t" + std::to_string(card) + "\t" + kNames[static_cast<int>(button)]);
    }
    void releaseAt(Point p) override { ask("release\t" + std::to_string(p.x) + "\t" + std::to_string(p.y)); }
    void key(ui::Key key, bool keypad) override {
        static constexpr const char* kKeys[] = {"KeyA", "1", "2", "3", "4", "5", "6", "ArrowLeft", "ArrowRight",
                                                "ArrowUp", "ArrowDown", "Enter", "Space", "Escape"};  // in ui::Key's order
        std::string name = kKeys[static_cast<int>(key)];
        if (name.size() == 1) name = (keypad ? "Numpad" : "Digit") + name;
        if (keypad && key == ui::Key::Return) name = "NumpadEnter";
        ask("key\t" + name);
    }
    void keypadWithoutNumLock(int digit) override { ask("keypad\t" + std::to_string(digit)); }
    void keyWithCtrl(ui::Key key) override {
        ask("ctrlkey\t" + std::to_string(1 + static_cast<int>(key) - static_cast<int>(ui::Key::Digit1)));
    }
    void tab() override { ask("key\tTab"); }
    void raise(std::string_view title) override { ask("raise\t" + std::string(title)); }
    void underNextBox(std::function<void()> steps) override { underBox_ = std::move(steps); }
    void clickWindow(std::string_view title) override { ask("clickwindow\t" + std::string(title)); }
    void letTimerElapse() override { ask("timer"); }
    void wait(int milliseconds) override { ask("wait\t" + std::to_string(milliseconds)); }
    double now() override { return std::atof(ask("now").c_str()); }

    // The pictures of the cards and slots, read in one look and kept until the next step.
    std::string picture(ImageControl c) override {
        if (pictures_.empty()) pictures_ = split(ask("pictures"), '|');
        return pictures_.at(static_cast<std::size_t>((c.array == ImageArray::Imgx ? 0 : 6) + c.index));
    }
    std::optional<Rect> outline() override {
        const std::string r = ask("outline");
        return r == "none" ? std::nullopt : std::optional(rectFrom(r));
    }
    std::vector<Window> windows() override {
        std::vector<Window> out;
        for (const std::string& w : split(ask("windows"), '|')) {
            const auto fields = split(w, '\t');
            out.push_back({fields.at(0), rectFrom(fields.at(1))});
        }
        return out;
    }
    std::vector<MessageWindow> takeMessageBoxes() override {
        std::vector<MessageWindow> out;
        for (const std::string& b : split(ask("boxes"), '|')) {
            const auto f = split(b, '\t');
            out.push_back({f.at(0), f.at(1), std::atoi(f.at(2).c_str()), f.at(3) == "icon"});
        }
        return out;
    }
    Focused focus() override {
        const auto fields = split(ask("focus"), '\t');
        return {fields.size() > 0 ? fields[0] : "", fields.size() > 1 ? fields[1] : ""};
    }
    std::string caption(std::string_view button) override { return ask("caption\t" + std::string(button)); }
    // A screenshot of the area, as the browser painted it: its width and height, then each pixel's red, green and blue.
    Seen seen(Rect area) override {
        std::istringstream answer(ask("seen\t" + std::to_string(area.left) + "\t" + std::to_string(area.top) + "\t" +
                                      std::to_string(area.width) + "\t" + std::to_string(area.height)));
        Seen out;
        answer >> out.width >> out.height;
        for (int r, g, b; answer >> r >> g >> b;) out.pixels.push_back({r, g, b});
        if (out.pixels.size() != static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height)) out = {};
        return out;
    }
    void moveWindow(std::string_view title, Point at) override {
        ask("move\t" + std::string(title) + "\t" + std::to_string(at.x) + "\t" + std::to_string(at.y));
    }
    void closeWindow(std::string_view title) override { ask("close\t" + std::string(title)); }
    bool running() override { return true; }  // a page is closed by its browser, not by the game
    bool windowsClose() override { return false; }
    int lookEveryMs() override { return 50; }
    std::vector<std::string> failures() override { return split(ask("failures"), '|'); }

private:
    std::FILE* out_;
    std::FILE* in_;
    std::vector<std::string> pictures_;  // cards 1..6, then slots Image10..Image15
    std::function<void()> underBox_;
};

}  // namespace

void fail(const char* file, int line, const std::string& message) {
    ++failures;
    std::fprintf(stderr, "%s:%d: %s\n", file, line, message.c_str());
}

}  // namespace poromea::scenarios

int main(int argc, char** argv) {
    using namespace poromea::scenarios;
    const std::string_view wanted = argc > 1 ? argv[1] : "--list";
    for (const Scenario& s : all()) {
        if (wanted == "--list") {
            std::printf("%s\t%.*s\t%d\n", s.name, static_cast<int>(s.missingPicture.size()), s.missingPicture.data(),
                        static_cast<int>(s.memoriseMs));
        } else if (wanted == s.name) {
            std::FILE* out = fdopen(3, "w");
            std::FILE* in = fdopen(4, "r");
            if (!out || !in) {
                std::fprintf(stderr, "web_scenarios: run by the browser driver, which answers on descriptors 3 and 4\n");
                return 2;
            }
            WebDriver driver(out, in);
            s.play(driver);
            driver.ask("end");
            return failures == 0 ? 0 : 1;
        }
    }
    if (wanted == "--list") return 0;
    std::fprintf(stderr, "web_scenarios: no scenario called %.*s\n", static_cast<int>(wanted.size()), wanted.data());
    return 2;
}
