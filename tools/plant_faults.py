#!/usr/bin/env python3
"""Plants faults a player or a packager would notice, one at a time, in a
scratch copy of the game, and says which ones the test suite catches.

    tools/plant_faults.py [--rev REV] [--only NAME ...] [--suite native|win32|web] [--check]

For every fault: apply it to the scratch copy, rebuild, run the suite that
covers that code (the Linux suite with ctest, the Windows suite under Wine,
or the page's suite in Chromium), undo it. A fault is "caught" when the suite fails, "missed" when it
passes, and "not built" when the code no longer compiles (the compiler caught it).
Before building anything it checks that every chosen fault still fits the code
(its text stands exactly once in its file) and stops, naming those that do not.
Needs what `make test` needs; `make test-win32`'s packages for win32 faults,
`make test-web`'s for web faults.
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

# Which suite owns which code: a fault is planted once, and run against the suite of the code it is
# planted in. The code every host shares (game/, ui/) is proven by the native suite's unit tests and
# the Qt host's scenarios; each other host's suite proves that host's code.
OWNERS = [("host/win32/", "win32"), ("host/web/", "web"), ("", "native")]


def owner(alternatives):
    files = alternatives[0][1] if alternatives[0][0] == "swap" else alternatives[0][0]
    return next(suite for prefix, suite in OWNERS if files.startswith(prefix))


# name (what a player would see), then alternatives: (files, old, new). The first alternative whose
# text stands exactly once in one of its files is applied; a fault none of whose alternatives fit stops
# the run before anything is planted.

FAULTS = [
    ("rule: covers never allow dragging", [("game/form1.cpp", "state_.canDrag = 1;", "state_.canDrag = 0;")]),
    ("rule: last slot not judged", [("game/form1.cpp", "for (int k = 0; k < kParts; ++k) {\n        correct",
                                               "for (int k = 0; k < kParts - 1; ++k) {\n        correct")]),
    ("rule: START keeps the old slots", [("game/form1.cpp", "host_.setPicture(Slot(k), host_.picture(Imgc()));\n", "")]),
    ("rule: a slot's part told while it shows a cover", [("game/form1.cpp", "if (state.uncovered[static_cast<std::size_t>(i)]) return {K::Part, part};",
                                                           "if (state.checked != Outcome::None) return {K::Part, part};")]),
    ("controller: Escape closes the last window and the program goes on", [
        ("ui/controller.cpp", "    if (!host_.windowShown(Window::Main)) host_.endProgram(0);\n}", "}")]),
    ("options: the address's first memorising time counts", [
        ("ui/options.cpp", "    for (const auto& [name, value] : parameters)", "    for (const auto& [name, value] : std::vector(parameters.rbegin(), parameters.rend()))")]),
    ("rule: covers in the wrong order", [("game/form1.cpp", "{0, 2, 4, 1, 3, 5}", "{0, 1, 2, 3, 4, 5}")]),
    ("rule: shuffle never deals part 5 first", [("game/form1.cpp", "drawn = std::floor(r * 6.0f);",
                                                            "drawn = std::floor(r * 6.0f);\n        if (state_.filled == 0 && drawn == 5.0f) drawn = 4.0f;")]),
    ("rule: a repeated draw takes the next free part", [("game/form1.cpp", "        if (state_.hits == 1) ++state_.filled;",
        "        for (float other = 0; state_.hits != 1; ++other) {\n            drawn = other, state_.hits = 0;\n"
        "            for (float entry : state_.order) state_.hits += entry == drawn;\n        }\n        ++state_.filled;")]),
    ("text: wrong title of the message box", [("game/form1.h", 'u"まちがいです。"', 'u"まちがいです"')]),
    ("text: a label's wording", [("ui/forms.cpp", '"ドラッグ＆ドロップ！！"', '"ドラッグ＆ドロップ！"')]),
    ("layout: a slot moved by a pixel", [("ui/forms.cpp", '"Image13",  -1, Kind::Image, 8760', '"Image13",  -1, Kind::Image, 8775')]),
    ("qt: congratulation window a pixel off", [("host/qt/*.cpp", "form2_->setGeometry(x, y,", "form2_->setGeometry(x + 1, y,")]),
    ("controller: congratulation window reopens lower each time", [
        ("ui/controller.cpp", "    host_.showWindow(Window::Congratulation, pixels(*kForm2.left), pixels(*kForm2.top));",
         "    static int opened = 0;\n    host_.showWindow(Window::Congratulation, pixels(*kForm2.left), pixels(*kForm2.top) + 20 * opened++);")]),
    ("qt: the message box shows an icon", [("host/qt/*.cpp", "QMessageBox box(QMessageBox::NoIcon", "QMessageBox box(QMessageBox::Information")]),
    ("qt: main window not centred", [("host/qt/*.cpp", "    form1_->show();\n    centre();", "    form1_->show();")]),
    ("qt: keypad digits ignored", [("host/qt/*.cpp", "    case Qt::Key_1: return ui::Key::Digit1;",
                                              "    case Qt::Key_1: return e->modifiers() & Qt::KeypadModifier ? ui::Key::Other : ui::Key::Digit1;")]),
    ("qt: the congratulation window not activated", [("host/qt/qt_host.cpp", "    form2_->activateWindow();", "")]),
    ("qt: a new picture not told to screen readers", [
        ("host/qt/widgets.cpp", "QAccessibleEvent changed(this, QAccessible::DescriptionChanged);\n        QAccessible::updateAccessibility(&changed);", "")]),
    ("keys: Left does not wrap round", [("ui/access.cpp", "(heldSlot + kCount - 1) % kCount", "heldSlot > 0 ? heldSlot - 1 : 0")]),
    ("access: empty slots not described", [("ui/access.cpp", 'case Shown::Kind::Empty: return "あき";', 'case Shown::Kind::Empty: return "";')]),
    ("access: an empty slot said in kanji, which Debian's voice cannot read", [
        ("ui/access.cpp", 'case Shown::Kind::Empty: return "あき";', 'case Shown::Kind::Empty: return "空き";')]),
    ("access: the button's description in kanji", [("ui/forms.cpp", '"こたえあわせ"', '"答え合わせ"')]),
    ("access: a move over a slot says the whole back of the card, too long to keep pace", [
        ("ui/access.cpp", "shown.kind == Shown::Kind::Back ? std::string(cardName(shown.index)) : description(shown)", "description(shown)")]),
    ("access: the wrong answer's box read from its kanji", [
        ("ui/access.cpp", 'case Message::Wrong: return "ざんねん、スタートボタンから やりなおし。";', "case Message::Wrong: break;")]),
    ("app: a failed start reports success", [("host/qt/main.cpp", "        return EXIT_FAILURE;\n    }\n}", "        return EXIT_SUCCESS;\n    }\n}")]),
    ("app: no display aborts", [("host/qt/main.cpp", "std::_Exit(EXIT_FAILURE);", "std::abort();")]),
    ("pictures: the two ears swapped", [("swap", "ui/pictures/part2.gif", "ui/pictures/part3.gif")]),
    ("win32: congratulation window a pixel off", [("host/win32/*.cpp", "AdjustWindowRectEx(&frame, kForm2Style, FALSE, 0);",
                                                            "OffsetRect(&frame, 1, 0);\n    AdjustWindowRectEx(&frame, kForm2Style, FALSE, 0);")]),
    ("win32: the message box shows an icon", [("host/win32/*.cpp", "caption.c_str(), MB_OK)", "caption.c_str(), MB_OK | MB_ICONINFORMATION)")]),
    ("win32: keypad digits ignored", [("host/win32/win32_host.cpp",
        "    if (virtualKey >= VK_NUMPAD1 && virtualKey <= VK_NUMPAD6) return digit(virtualKey - VK_NUMPAD1);\n", "")]),
    ("win32: a failed start ends with status 0", [
        ("host/win32/main.cpp", "MB_OK | MB_ICONERROR);\n        status = 1;", "MB_OK | MB_ICONERROR);\n        status = 0;")]),
    ("win32: a picture drawn a pixel to the right", [
        ("host/win32/widgets.cpp", "BitBlt(dc, 0, 0, p.width, p.height, memory, 0, 0, SRCCOPY);",
         "BitBlt(dc, 1, 0, p.width, p.height, memory, 0, 0, SRCCOPY);")]),
    ("web: the game not scaled down on a phone", [("host/web/*.cpp", "scale_ = std::min({1.0, width / w1, height / h1});",
                                                          "scale_ = 1;")]),
    ("web: the message box is not modal", [("host/web/*.cpp", 'messageBox_.call<void>("showModal");', 'messageBox_.call<void>("show");')]),
    ("web: congratulation window reopens where it was left", [
        ("host/web/*.cpp", "    form2_.set(\"hidden\", val(false));\n    placeForm2(", "    form2_.set(\"hidden\", val(false));\n    if (!form2Z_) placeForm2(")]),
    ("web: what a card shows is not told again", [
        ("host/web/*.cpp", 'if (described) element.call<void>("setAttribute", val("aria-description"), val(std::string(description)));', "")]),
    ("web: a failure of the page is swallowed", [("host/web/*.cpp", 'listen(val::global("window"), "error", "onPageError");', "")]),
    ("options: --memorise N taken as nothing", [("ui/options.cpp", "            value = arguments[++i];", "            ++i;\n            continue;")]),
    ("web: the address's memorising time not taken", [("host/web/main.cpp", "instance(pictures, options.memoriseMs)", "instance(pictures, poromea::kMemoriseMs)")]),
    ("web: a ?memorise= not taken is not said", [("host/web/main.cpp", '            notice.set("textContent", val(options.notice));\n', "")]),
    # The shared interaction.
    ("interaction: drop lands on the next slot", [("ui/interaction.cpp", "kSlotDrops.at(static_cast<std::size_t>(slot))",
                                                         "kSlotDrops.at(static_cast<std::size_t>((slot + 1) % kParts))")]),
    ("interaction: a held card survives Escape", [("ui/interaction.cpp", '    case A::PutBack:\n        rule_.run("キー", [this] { putBack(); });',
                                                          "    case A::PutBack:")]),
    ("interaction: the pointer's release drops a card the keys hold", [
        ("ui/interaction.cpp", "if (!holding() || held_.byKeys || held_.pointer != pointer || held_.button != button) return;",
         "if (!holding() || (!held_.byKeys && (held_.pointer != pointer || held_.button != button))) return;\n    if (held_.byKeys) held_.button = button;")]),
    ("interaction: a pointer press leaves a key carry on", [("ui/interaction.cpp", '    if (heldByKeys()) rule_.run("マウス", [this] { putBack(); });', "")]),
    ("interaction: a button works while a card is held", [
        ("ui/interaction.cpp", "    if (holding()) return;\n    if (button == Button::Start) {", "    if (button == Button::Start) {")]),
    ("interaction: the window system failing as Return presses a button crashes the game", [
        ("ui/interaction.cpp", '    rule_.run("キー", [&] {\n        if (host_.activeWindow() == Window::Main) focused = host_.focusedControl(Window::Main);\n    });',
         "    if (host_.activeWindow() == Window::Main) focused = host_.focusedControl(Window::Main);")]),
    ("controller: the window system failing as it is asked about the box crashes the game", [
        ("ui/controller.cpp", '    rule_.run("ウィンドウ", [&] { open = host_.messageBoxOpen(); });', "    open = host_.messageBoxOpen();")]),
    ("qt: a failure before the event loop leaves a dead game running", [
        ("host/qt/qt_host.cpp", "QMetaObject::invokeMethod(qApp, [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);",
         "QCoreApplication::exit(status);")]),
    ("qt: a window closed is not told to the game", [
        ("host/qt/qt_host.cpp", "window && widget->isWindow() && !game_.closeRequested(*window)) {", "window && widget->isWindow() && false) {")]),
    ("controller: the program ends as soon as the main window closes", [
        ("ui/controller.cpp", "            if (!host_.windowShown(Window::Congratulation)) host_.endProgram(0);",
         "            host_.endProgram(0);")]),
    ("failure rule: a failed game ends with status 0", [("ui/failure_rule.cpp", "    host_.endProgram(1);", "    host_.endProgram(0);")]),
    ("win32: the congratulation window takes clicks under the message box", [
        ("host/win32/win32_host.cpp", "const bool disabled = form2() && !EnableWindow(form2(), FALSE);", "const bool disabled = false;")]),
    ("win32: the game, destroyed, still takes its windows' last messages", [
        ("host/win32/win32_host.cpp", "Win32Host::~Win32Host() { live_ = false; }", "Win32Host::~Win32Host() {}")]),
    ("win32: the game takes messages before it is made", [("host/win32/win32_host.cpp", "    live_ = true;\n}", "}"),
                                                          ("host/win32/win32_host.h", "bool live_ = false;", "bool live_ = true;")]),
    ("web: the keypad's keys taken as digits without NumLock", [
        ("host/web/web_host.cpp", 'if (code.starts_with("Numpad") && name.size() == 1 && name[0] >= \'1\' && name[0] <= \'6\') return digit(name[0]);',
         'if (code.starts_with("Numpad") && code.back() >= \'1\' && code.back() <= \'6\') return digit(code.back());')]),
    ("controller: a digit held with Ctrl taken by the game", [("ui/controller.cpp", "    if (shortcut) key = Key::Other;", "")]),
    ("interaction: the Back button takes a card", [
        ("ui/interaction.cpp", "    if (p.button != kLeftButton && p.button != kRightButton && p.button != kMiddleButton) return;\n", "")]),
    ("controller: the congratulation window closes under the message box", [
        ("ui/controller.cpp", "    if (messageBoxOpen()) return false;\n    bool closed", "    bool closed")]),
    ("web: a copy of the page deletes another copy's offline files", [
        ("host/web/service_worker.js", "name.startsWith(MINE) && name", "name.startsWith('poromea') && name")]),
    ("failure rule: the game goes on after a failure", [("ui/failure_rule.cpp", "    if (failed_) return;  // the game has ended", "    // the game has ended")]),
    ("interaction: Return drops and presses the focused button", [
        ("ui/interaction.cpp", '        rule_.run("ドロップ", [&] { drop(command.target); });\n        return true;',
         '        rule_.run("ドロップ", [&] { drop(command.target); });\n        return pressFocusedButton();')]),
    ("interaction: a card taken by the keys starts on the nose's place", [
        ("ui/interaction.cpp", "held_.slot = kFirstKeyboardSlot;", "held_.slot = kFirstKeyboardSlot + 1;")]),
    ("interaction: the outline stays behind the pointer", [
        ("ui/interaction.cpp", '    rule_.run("ドラッグ", [&] { host_.showOutline({at.x - held_.inCard.x, at.y - held_.inCard.y}); });', "")]),
    ("interaction: a digit's card not told", [
        ("ui/interaction.cpp", "        tell(announcement(Announcement::Kind::PickedUp, card, held_.slot, game_.shown(Slot(held_.slot))));", "")]),
    ("rule: the memorising time half a second short", [("game/form1.h", "kMemoriseMs = 5000;", "kMemoriseMs = 4500;")]),
    ("text: a button's caption", [("ui/forms.cpp", '1335,  735, "START"', '1335,  735, "Start"')]),
    # Each host's binding.
    ("qt: Orca hears nothing of the game", [("host/qt/qt_host.cpp", "    announcer_->say(toQString(words));", "    (void)words;")]),
    ("qt: Orca hears only the first announcement", [
        ("host/qt/widgets.cpp", "    hide();\n    setAccessibleName(words);", "    setAccessibleName(words);")]),
    ("qt: a failure is swallowed", [("host/qt/qt_host.h", "{ fatal_(toQString(message)); }", "{ (void)toQString(message); }")]),
    ("qt: a second START keeps the first countdown", [
        ("host/qt/qt_host.h", "{ timer1_.start(milliseconds); }", "{ if (!timer1_.isActive()) timer1_.start(milliseconds); }")]),
    ("qt: the memorising time may end early", [("host/qt/qt_host.cpp", "    timer1_.setTimerType(Qt::PreciseTimer);\n", "")]),
    ("qt: right-button drags never drop", [
        ("host/qt/qt_host.cpp", "game_.pointerReleased(0, buttonCode(e->button())", "game_.pointerReleased(0, buttonCode(Qt::LeftButton)")]),
    ("controller: an open congratulation window jumps back", [
        ("ui/controller.cpp", "    if (host_.windowShown(Window::Congratulation)) return;\n", "")]),
    ("win32: a failure is swallowed", [("host/win32/win32_host.cpp", "    MessageBoxW(owner, widen(message).c_str()", "    if (false) MessageBoxW(owner, widen(message).c_str()")]),
    ("win32: the announcements not told", [
        ("host/win32/win32_host.h", "std::string_view words) override { announcer_.say(words); }", "std::string_view) override {}")]),
    ("win32: the pointer not captured by a held card", [
        ("host/win32/win32_host.cpp", "void Win32Host::capturePointer(int card, int) { SetCapture(box(Imgx(card)).window()); }",
         "void Win32Host::capturePointer(int, int) {}")]),
    ("web: a failure is swallowed", [("host/web/web_host.h", "{ windows_.showFailure(message); }", "{ (void)message; }")]),
    ("web: a second START keeps the first countdown", [
        ("host/web/web_host.cpp", "if (Module.timer1 !== undefined) clearInterval(Module.timer1);",
         "if (Module.timer1 !== undefined && milliseconds > 0) return; if (Module.timer1 !== undefined) clearInterval(Module.timer1);")]),
    # The windows' rules.
    ("windows: the game's keys reach it from the congratulation window", [
        ("ui/windows.cpp", "        return KeyRoute::Nothing;", "        return KeyRoute::Game;")]),
    ("controller: the keys stay with the closed congratulation window", [
        ("ui/controller.cpp", "        host_.focus(focusAsClosed(mainFocus_));\n", "")]),
    ("controller: the main window's focus forgotten as another window takes the keys", [
        ("ui/controller.cpp", "    if (const ControlId now = host_.focusedControl(Window::Main); now != ControlId::None) mainFocus_ = now;", "")]),
    ("controller: a box that waits lets the game take input while it is open", [
        ("ui/controller.cpp", "    runningMessageBox_ = true;\n", "")]),
    ("controller: key releases during a carry reach the window", [
        ("ui/controller.h", "bool keyReleased() const { return interaction_.holding(); }", "bool keyReleased() const { return false; }")]),
    ("qt: the keys stay with the closed congratulation window", [
        ("host/qt/qt_host.cpp", "    if (!window->isActiveWindow()) window->activateWindow();\n", "")]),
    ("win32: the congratulation window opens with the focus on nothing", [
        ("host/win32/win32_host.cpp", "    SetFocus(control);\n", "    SetFocus(where.window == ui::Window::Main ? control : window);\n")]),
    ("web: digits typed in the congratulation window reach the game", [
        ("host/web/web_host.cpp", "game_.keyPressed(windows_.activeWindow(),", "game_.keyPressed(ui::Window::Main,")]),
    ("web: the congratulation window opens with its close button focused", [
        ("host/web/windows.cpp", "    control.set(\"tabIndex\", val(-1));\n    control.call<void>(\"focus\");",
         "    form2_.call<val>(\"querySelector\", val(\".close\")).call<void>(\"focus\");")]),
    ("web: the wasm preloaded as well, fetched twice where the requests differ", [
        ("host/web/index.html", '<link rel="preload" href="poromea.js" as="script">',
         '<link rel="preload" href="poromea.js" as="script">\n<link rel="preload" href="poromea.wasm" as="fetch" crossorigin>')]),
    ("web: every build cached under one name, so a new one is never shown", [
        ("host/web/service_worker.cmake", "string(SUBSTRING ${build} 0 16 build)", "set(build 1)")]),
    ("web: the service worker answers every address of its folder with the page", [
        ("host/web/service_worker.js", "  if (page ? url.href !== PAGE && url.href !== `${PAGE}index.html` : !OWN.has(request.url)) return;\n", "")]),
    ("web: a new build reloads a game in progress", [
        ("host/web/index.html", "old && !Module.gameInProgress?.() && location.reload()", "old && location.reload()")]),
    ("web: the content security policy refuses the program's WebAssembly", [
        ("host/web/prerender.cmake", "script-src 'self' 'wasm-unsafe-eval' ", "script-src 'self' ")]),
    ("qt: the main row's digits read by what they write, so no card on AZERTY", [
        ("host/qt/qt_host.cpp", "xKeyCodes && code >= 10 && code <= 15", "false && code >= 10 && code <= 15")]),
    ("web: the game is no application to a screen reader, whose reading takes the digits and arrows", [
        ("host/web/markup.cpp", 'role=\\"application\\" aria-label', 'aria-label')]),
    ("web: the buttons in no toolbar, so that Orca keeps the digits for reading the page", [
        ("host/web/markup.cpp", '"<div role=\\"toolbar\\" class=\\"commands\\">"', '"<div class=\\"commands\\">"')]),
    ("web: the box's button in no toolbar", [
        ("host/web/windows.cpp", '<form method=\\"dialog\\" role=\\"toolbar\\">', '<form method=\\"dialog\\">')]),
    ("web: the labels given to a screen reader in kanji", [("host/web/markup.cpp", "heard != c.text", "false")]),
    ("web: the box's title and words not given to its button", [
        ("host/web/windows.cpp", ' aria-describedby=\\"message-title message-heard\\">OK', '>OK')]),
    ("web: no word after O K, where reading the page leaves a screen reader, which then hears no move there", [
        ("host/web/markup.cpp", '</main><p class=\\"reading\\">" +\n           escape(ui::kKeysHint) + "</p></div>"', '</main></div>"')]),
    ("web: zooming forbidden", [
        ("host/web/index.html", 'content="width=device-width, initial-scale=1"', 'content="width=device-width, initial-scale=1, maximum-scale=1, user-scalable=no"')]),
    # Each host's own translation of the mouse, and what it draws.
    ("qt: a card let go at the pointer's first move", [
        ("host/qt/qt_host.cpp", "[this](QMouseEvent* e) { game_.pointerMoved(0, inForm1(e->globalPosition())); });",
         "[this](QMouseEvent* e) { game_.pointerReleased(0, ui::kLeftButton, inForm1(e->globalPosition())); });")]),
    ("qt: the middle button holds no card", [("host/qt/qt_host.cpp", "    case Qt::MiddleButton: return ui::kMiddleButton;\n", "")]),
    ("qt: a mouse press leaves a key carry on", [
        ("host/qt/qt_host.cpp", "        if (windowOf(widget) == ui::Window::Main) game_.pointerDown();\n", "")]),
    ("qt: a slot hidden by another window takes the drop", [
        ("host/qt/qt_host.cpp", "QWidget* hit = QApplication::widgetAt(form1_->mapToGlobal(local));", "QWidget* hit = nullptr;")]),
    ("qt: a new picture not repainted", [("host/qt/widgets.cpp", "    scaled_ = QPixmap();\n    update();\n", "    scaled_ = QPixmap();\n")]),
    ("qt: a screen of 3 shown the pictures drawn for 2", [
        ("host/qt/picture_library.cpp", "denser_.lower_bound(static_cast<int>(std::ceil(density - 0.01)))",
         "denser_.lower_bound(std::min(2, static_cast<int>(std::ceil(density - 0.01))))")]),
    ("pictures: two covers' digits swapped", [("swap", "ui/pictures/cover2.gif", "ui/pictures/cover3.gif")]),
    ("win32: a card let go at the pointer's first move", [
        ("host/win32/win32_host.cpp", "        game_.pointerMoved(0, inForm1(), buttonsHeld(wParam));",
         "        game_.pointerReleased(0, ui::kLeftButton, inForm1());")]),
    ("win32: the middle button holds no card", [("host/win32/win32_host.cpp", "    case WM_MBUTTONDOWN: case WM_MBUTTONUP: return ui::kMiddleButton;\n", "")]),
    ("win32: a mouse press leaves a key carry on", [
        ("host/win32/win32_host.cpp", "if (windowOf(m.hwnd) == ui::Window::Main) game_.pointerDown();", "")]),
    ("win32: a slot hidden by another window takes the drop", [
        ("host/win32/win32_host.cpp", "    HWND hit = WindowFromPoint(screen);", "    ScreenToClient(form1(), &screen);\n    HWND hit = ChildWindowFromPoint(form1(), screen);")]),
    ("win32: a new picture not repainted", [
        ("host/win32/widgets.cpp", "    scaled_.reset();\n    InvalidateRect(window_, nullptr, FALSE);\n", "    scaled_.reset();\n")]),
    ("web: a card let go at the pointer's first move", [
        ("host/web/web_host.cpp", 'game_.pointerMoved(event["pointerId"].as<int>(), inForm1(event), event["buttons"].as<int>() & 7);',
         'game_.pointerReleased(event["pointerId"].as<int>(), ui::kLeftButton, inForm1(event));')]),
    ("web: the middle button holds no card", [("host/web/web_host.cpp", "    case 1: return ui::kMiddleButton;\n", "")]),
    ("web: a mouse press leaves a key carry on", [
        ("host/web/web_host.cpp", "void WebHost::windowPointerDown(val event) {\n    game_.pointerDown();", "void WebHost::windowPointerDown(val event) {")]),
    ("web: a release lands on a slot hidden by a window", [("host/web/web_host.cpp", "    if (windows_.form2Covers(at)) return -1;\n", "")]),
    ("web: a screen of 2.625 shown the pictures drawn for 2", [
        ("host/web/windows.cpp", "if (p.density >= need - 0.01 && (at == 0 || p.density < at))", "if (p.density >= static_cast<int>(need) - 0.01 && (at == 0 || p.density < at))")]),
    ("web: the dense pictures not kept for offline play", [
        ("host/web/service_worker.js", "file.endsWith(`@${event.data}x.png`)", "file.endsWith('@2x.png')")]),
]


def run(cmd, cwd, log, timeout=3600):
    with open(log, "a") as out:
        out.write(f"\n$ {' '.join(cmd)}\n")
        out.flush()
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return 124


def where(tree, alternatives):
    """The first alternative that fits the copy, as (undo-able) apply function, or the reason none does."""
    reasons = []
    for files, old, new in alternatives:
        if files == "swap":
            a, b = os.path.join(tree, old), os.path.join(tree, new)
            if os.path.exists(a) and os.path.exists(b):
                return lambda: swap(a, b), None
            reasons.append(f"{old} or {new} is missing")
            continue
        paths = sorted(glob.glob(os.path.join(tree, files)))
        counts = {path: open(path, encoding="utf-8").read().count(old) for path in paths}
        for path, count in counts.items():
            if count == 1:
                return lambda path=path: replace(path, old, new), None
        if not paths:
            reasons.append(f"no file {files}")
        elif any(counts.values()):
            reasons.append(f"its text stands more than once in {files}")
        else:
            reasons.append(f"its text stands nowhere in {files}")
    return None, "; ".join(reasons)


def swap(a, b):
    """Swaps two files; returns the undo (the same swap)."""
    def once():
        tmp = a + ".swap"
        os.replace(a, tmp)
        os.replace(b, a)
        os.replace(tmp, b)
        os.utime(a)  # a swap keeps the files' times: make the build see it
        os.utime(b)
    once()
    return once


def replace(path, old, new):
    """Replaces the one occurrence of old in path; returns the undo."""
    text = open(path, encoding="utf-8").read()
    with open(path, "w", encoding="utf-8") as f:
        f.write(text.replace(old, new))
    def undo():
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
    return undo


def suite(kind, tree, log):
    """Builds and runs one suite; returns 'pass', 'fail' or 'not built'. The quick tests run first, and a
    suite stops at its first failure: most faults are caught in seconds, only a missed one runs everything."""
    jobs = str(os.cpu_count() or 2)
    if kind == "native":
        if run(["cmake", "--build", "build", "-j", jobs], tree, log):
            return "not built"
        slow = "Orca|ScreenReader|Install"
        return "pass" if all(run(["ctest", "-j", jobs, "--timeout", "300", "--stop-on-failure", which, slow],
                                 os.path.join(tree, "build"), log) == 0 for which in ("-E", "-R")) else "fail"
    if kind == "web":
        if run(["cmake", "--build", "build-wasm", "-j", jobs], tree, log) or \
           run(["cmake", "--build", "build", "--target", "web_scenarios"], tree, log):
            return "not built"
        quick = ["scenarios.test.mjs", "web_host.test.mjs"]
        rest = sorted(set(glob.glob("*.test.mjs", root_dir=os.path.join(tree, "tests/web"))) - set(quick))
        return "pass" if all(run(["node", "--test", f"--test-concurrency={jobs}", *files], os.path.join(tree, "tests/web"), log) == 0
                             for files in (quick, rest)) else "fail"
    # The Windows tests run on the 32-bit build or, where it cannot run, on the 64-bit one (prepare_wine.sh).
    builds = ["build-win32"] + (["build-win64"] if open(os.path.join(tree, "build-win32/wine-arch")).readline().strip() == "64" else [])
    if any(run(["cmake", "--build", b, "-j", jobs], tree, log) for b in builds):
        return "not built"
    return "pass" if run(["tests/win32/run_wine_tests.sh", "build-win32", "build-win64"], tree, log) == 0 else "fail"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rev", default="HEAD", help="the revision to copy (default HEAD)")
    parser.add_argument("--only", nargs="*", help="faults whose names contain one of these words")
    parser.add_argument("--suite", choices=["native", "win32", "web"], help="only faults of this suite")
    parser.add_argument("--keep", action="store_true", help="keep the scratch copy")
    parser.add_argument("--check", action="store_true", help="only check that every fault fits the code")
    args = parser.parse_args()

    owned = [(name, owner(alternatives), alternatives) for name, alternatives in FAULTS]
    faults = [f for f in owned if (not args.suite or f[1] == args.suite)
              and (not args.only or any(w in f[0] for w in args.only))]
    top = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True, check=True).stdout.strip()
    tree = tempfile.mkdtemp(prefix="poromea-faults-")
    log = os.path.join(tree, "faults.log")
    subprocess.run(f"git -C {top} archive {args.rev} | tar -x -C {tree}", shell=True, check=True)
    print(f"scratch copy of {args.rev} in {tree}; log {log}", flush=True)

    # A fault whose code has changed would otherwise be skipped and the run look clean: every fault must
    # fit the copy before anything is built or planted.
    planters = []
    stale = []
    for name, kind, alternatives in faults:
        plant, why = where(tree, alternatives)
        planters.append(plant)
        if not plant:
            stale.append(f"  {name}: {why}")
    if stale:
        if not args.keep:
            shutil.rmtree(tree, ignore_errors=True)
        sys.exit(f"{len(stale)} fault(s) do not fit the code of {args.rev} (change them here to fit it):\n"
                 + "\n".join(stale))
    if args.check:
        shutil.rmtree(tree, ignore_errors=True)
        print(f"every one of the {len(faults)} faults fits the code of {args.rev}")
        return

    kinds = sorted({f[1] for f in faults})
    if "native" in kinds or "web" in kinds:  # the page's scenarios are played by a native program
        run(["cmake", "-S", ".", "-B", "build", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], tree, log)
        os.environ["POROMEA_SCENARIOS"] = os.path.join(tree, "build/tests/web/web_scenarios")
    if "win32" in kinds:
        run(["cmake", "-S", ".", "-B", "build-win32", "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake",
             "-DCMAKE_BUILD_TYPE=MinSizeRel"], tree, log)
        run(["cmake", "--build", "build-win32", "-j", str(os.cpu_count() or 2)], tree, log)
        run(["tests/win32/prepare_wine.sh", "build-win32", "build-win64"], tree, log)
    if "web" in kinds:
        # Emscripten's tools need Debian's JavaScript modules; the tests find the page by POROMEA_WEB.
        os.environ.setdefault("NODE_PATH", "/usr/share/nodejs")
        os.environ["POROMEA_WEB"] = os.path.join(tree, "build-web")
        run(["emcmake", "cmake", "-S", ".", "-B", "build-wasm", "-DCMAKE_BUILD_TYPE=MinSizeRel",
             f"-DPOROMEA_WEB_DIR={os.environ['POROMEA_WEB']}"], tree, log)
        run(["npm", "ci", "--no-audit", "--no-fund", "--loglevel=error"], os.path.join(tree, "tests/web"), log)
    for kind in kinds:
        if suite(kind, tree, log) != "pass":
            sys.exit(f"the {kind} suite does not pass without a fault; see {log}")

    results = []
    for (name, kind, _), plant in zip(faults, planters):
        start = time.time()
        undo = plant()
        outcome = {"fail": "caught", "pass": "MISSED", "not built": "not built"}[suite(kind, tree, log)]
        undo()
        results.append((name, outcome))
        print(f"{outcome:9} {name} ({time.time() - start:.0f} s)", flush=True)

    caught = sum(o == "caught" for _, o in results)
    missed = sum(o == "MISSED" for _, o in results)
    print(f"{caught} caught, {missed} missed, {len(results) - caught - missed} not built")
    if not args.keep:
        shutil.rmtree(tree, ignore_errors=True)
    sys.exit(1 if missed else 0)


if __name__ == "__main__":
    main()
