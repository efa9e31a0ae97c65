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

# name (what a player would see), the suites that must catch it, then alternatives: (files, old, new).
# The first alternative whose text stands exactly once in one of its files is applied; a fault none of
# whose alternatives fit stops the run before anything is planted.
ALL = "native win32 web"

FAULTS = [
    ("rule: covers never allow dragging", "native", [("game/form1.cpp", "state_.canDrag = 1;", "state_.canDrag = 0;")]),
    ("rule: last slot not judged", "native", [("game/form1.cpp", "for (int k = 0; k < kParts; ++k) {\n        correct",
                                               "for (int k = 0; k < kParts - 1; ++k) {\n        correct")]),
    ("rule: START keeps the old slots", "native", [("game/form1.cpp", "host_.setPicture(Slot(k), host_.picture(Imgc()));\n", "")]),
    ("rule: covers in the wrong order", "native", [("game/form1.cpp", "{0, 2, 4, 1, 3, 5}", "{0, 1, 2, 3, 4, 5}")]),
    ("rule: shuffle never deals part 5 first", "native", [("game/form1.cpp", "drawn = std::floor(r * 6.0f);",
                                                            "drawn = std::floor(r * 6.0f);\n        if (state_.filled == 0 && drawn == 5.0f) drawn = 4.0f;")]),
    ("rule: a repeated draw takes the next free part", "native", [("game/form1.cpp", "        if (state_.hits == 1) ++state_.filled;",
        "        for (float other = 0; state_.hits != 1; ++other) {\n            drawn = other, state_.hits = 0;\n"
        "            for (float entry : state_.order) state_.hits += entry == drawn;\n        }\n        ++state_.filled;")]),
    ("text: wrong title of the message box", "native", [("game/form1.h", 'u"まちがいです。"', 'u"まちがいです"')]),
    ("text: a label's wording", "native", [("ui/forms.cpp", '"ドラッグ＆ドロップ！！"', '"ドラッグ＆ドロップ！"')]),
    ("layout: a slot moved by a pixel", "native", [("ui/forms.cpp", '"Image13",  -1, Kind::Image, 8760', '"Image13",  -1, Kind::Image, 8775')]),
    ("qt: congratulation window a pixel off", "native", [("host/qt/*.cpp", "form2_->setGeometry(x, y,", "form2_->setGeometry(x + 1, y,")]),
    ("controller: congratulation window reopens lower each time", ALL, [
        ("ui/controller.cpp", "    host_.showWindow(Window::Congratulation, pixels(*kForm2.left), pixels(*kForm2.top));",
         "    static int opened = 0;\n    host_.showWindow(Window::Congratulation, pixels(*kForm2.left), pixels(*kForm2.top) + 20 * opened++);")]),
    ("qt: the message box shows an icon", "native", [("host/qt/*.cpp", "QMessageBox box(QMessageBox::NoIcon", "QMessageBox box(QMessageBox::Information")]),
    ("qt: main window not centred", "native", [("host/qt/*.cpp", "    form1_->show();\n    centre();", "    form1_->show();")]),
    ("qt: the congratulation window ends with the main window", "native", [
        ("host/qt/*.cpp", "form2_ = std::make_unique<QWidget>();", "form2_ = std::make_unique<QWidget>(); form2_->setAttribute(Qt::WA_QuitOnClose, false);")]),
    ("qt: keypad digits ignored", "native", [("host/qt/*.cpp", "    case Qt::Key_1: return ui::Key::Digit1;",
                                              "    case Qt::Key_1: return e->modifiers() & Qt::KeypadModifier ? ui::Key::Other : ui::Key::Digit1;")]),
    ("qt: the congratulation window not activated", "native", [("host/qt/qt_host.cpp", "    form2_->activateWindow();", "")]),
    ("qt: a new picture not told to screen readers", "native", [
        ("host/qt/widgets.cpp", "QAccessibleEvent changed(this, QAccessible::DescriptionChanged);\n        QAccessible::updateAccessibility(&changed);", "")]),
    ("keys: Left does not wrap round", "native", [("ui/access.cpp", "(heldSlot + kCount - 1) % kCount", "heldSlot > 0 ? heldSlot - 1 : 0")]),
    ("access: empty slots not described", "native", [("ui/access.cpp", 'if (picture == "empty") return "あき";', "")]),
    ("access: an empty slot said in kanji, which Debian's voice cannot read", "native", [
        ("ui/access.cpp", 'if (picture == "empty") return "あき";', 'if (picture == "empty") return "空き";')]),
    ("access: the button's description in kanji", "native", [("ui/forms.cpp", '"こたえあわせ"', '"答え合わせ"')]),
    ("access: a move over a slot says the whole back of the card, too long to keep pace", "native", [
        ("ui/access.cpp", "digit >= 0 ? std::string(cardName(digit - 1)) : pictureDescription(shown)", "pictureDescription(shown)")]),
    ("access: the wrong answer's box read from its kanji", "native", [
        ("ui/access.cpp", 'if (text == kWrongPrompt) return "ざんねん、スタートボタンから やりなおし。";', "")]),
    ("app: a failed start reports success", "native", [("host/qt/main.cpp", "        return EXIT_FAILURE;\n    }\n}", "        return EXIT_SUCCESS;\n    }\n}")]),
    ("app: no display aborts", "native", [("host/qt/main.cpp", "std::_Exit(EXIT_FAILURE);", "std::abort();")]),
    ("pictures: the two ears swapped", "native", [("swap", "ui/pictures/part2.gif", "ui/pictures/part3.gif")]),
    ("win32: congratulation window a pixel off", "win32", [("host/win32/*.cpp", "AdjustWindowRectEx(&frame, kForm2Style, FALSE, 0);",
                                                            "OffsetRect(&frame, 1, 0);\n    AdjustWindowRectEx(&frame, kForm2Style, FALSE, 0);")]),
    ("win32: the message box shows an icon", "win32", [("host/win32/*.cpp", "caption.c_str(), MB_OK)", "caption.c_str(), MB_OK | MB_ICONINFORMATION)")]),
    ("win32: keypad digits ignored", "win32", [("host/win32/win32_host.cpp",
        "    if (virtualKey >= VK_NUMPAD1 && virtualKey <= VK_NUMPAD6) return digit(virtualKey - VK_NUMPAD1);\n", "")]),
    ("win32: a failed start ends with status 0", "win32", [
        ("host/win32/main.cpp", "MB_OK | MB_ICONERROR);\n        status = 1;", "MB_OK | MB_ICONERROR);\n        status = 0;")]),
    ("win32: a picture drawn a pixel to the right", "win32", [
        ("host/win32/widgets.cpp", "BitBlt(dc, 0, 0, p.width, p.height, memory, 0, 0, SRCCOPY);",
         "BitBlt(dc, 1, 0, p.width, p.height, memory, 0, 0, SRCCOPY);")]),
    ("web: the game not scaled down on a phone", "web", [("host/web/*.cpp", "scale_ = std::min({1.0, width / w1, height / h1});",
                                                          "scale_ = 1;")]),
    ("web: the message box is not modal", "web", [("host/web/*.cpp", 'messageBox_.call<void>("showModal");', 'messageBox_.call<void>("show");')]),
    ("web: congratulation window reopens where it was left", "web", [
        ("host/web/*.cpp", "    form2_.set(\"hidden\", val(false));\n    placeForm2(", "    form2_.set(\"hidden\", val(false));\n    if (!form2Z_) placeForm2(")]),
    ("web: what a card shows is not told again", "web", [
        ("host/web/*.cpp", 'if (described) element.call<void>("setAttribute", val("aria-description"), p.description);', "")]),
    ("web: a failure of the page is swallowed", "web", [("host/web/*.cpp", 'listen(val::global("window"), "error", "onPageError");', "")]),
    ("options: --memorise N taken as nothing", ALL, [("ui/options.cpp", "            value = arguments[++i];", "            ++i;\n            continue;")]),
    ("web: a ?memorise= not taken is not said", "web", [("host/web/main.cpp", '            notice.set("textContent", val(options.text));\n', "")]),
    # The shared interaction, planted once for each host's suite: "suites" lists where it must be caught.
    ("interaction: drop lands on the next slot", ALL, [("ui/interaction.cpp", "kSlotDrops.at(static_cast<std::size_t>(slot))",
                                                         "kSlotDrops.at(static_cast<std::size_t>((slot + 1) % kParts))")]),
    ("interaction: a held card survives Escape", ALL, [("ui/interaction.cpp", '    case A::PutBack:\n        run("キー", [this] { putBack(); });',
                                                          "    case A::PutBack:")]),
    # Windows gives a press on a window without capture no release of its own: the mixed hold cannot happen there.
    ("interaction: the pointer's release drops a card the keys hold", "native web", [
        ("ui/interaction.cpp", "if (!holding() || held_.byKeys || held_.pointer != pointer || held_.button != button) return;",
         "if (!holding() || (!held_.byKeys && (held_.pointer != pointer || held_.button != button))) return;\n    if (held_.byKeys) held_.button = button;")]),
    ("interaction: a pointer press leaves a key carry on", ALL, [("ui/interaction.cpp", '    if (heldByKeys()) run("マウス", [this] { putBack(); });', "")]),
    # On Windows no click reaches a button while a card is held (the card has the pointer, a press ends a key carry).
    ("interaction: a button works while a card is held", "native web", [
        ("ui/interaction.cpp", "    if (holding()) return;\n    if (button == Button::Start) {", "    if (button == Button::Start) {")]),
    # After a failure the page is inert: no event reaches the game there to go on with.
    ("interaction: the game goes on after a failure", "native win32", [("ui/interaction.cpp", "    if (failed_) return;  // the game has ended", "    // the game has ended")]),
    ("interaction: Return drops and presses the focused button", ALL, [
        ("ui/interaction.cpp", '        run("ドロップ", [&] { drop(command.target); });\n        return true;',
         '        run("ドロップ", [&] { drop(command.target); });\n        return surface_.pressFocusedButton();')]),
    ("interaction: a card taken by the keys starts on the nose's place", ALL, [
        ("ui/interaction.cpp", "held_.slot = kFirstKeyboardSlot;", "held_.slot = kFirstKeyboardSlot + 1;")]),
    ("interaction: the outline stays behind the pointer", "native", [
        ("ui/interaction.cpp", '    run("ドラッグ", [&] { surface_.showOutline({at.x - held_.inCard.x, at.y - held_.inCard.y}); });', "")]),
    ("interaction: a digit's card not told", ALL, [
        ("ui/interaction.cpp", "        tell(told(Told::Kind::PickedUp, card, held_.slot, surface_.pictureName(Slot(held_.slot))));", "")]),
    ("rule: the memorising time half a second short", "native", [("game/form1.h", "kMemoriseMs = 5000;", "kMemoriseMs = 4500;")]),
    ("text: a button's caption", "native", [("ui/forms.cpp", '1335,  735, "START"', '1335,  735, "Start"')]),
    # Each host's binding.
    ("qt: Orca hears nothing of the game", "native", [("host/qt/qt_host.cpp", "    announcer_->say(toQString(words));", "    (void)words;")]),
    ("qt: Orca hears only the first announcement", "native", [
        ("host/qt/widgets.cpp", "    hide();\n    setAccessibleName(words);", "    setAccessibleName(words);")]),
    ("qt: a failure is swallowed", "native", [("host/qt/qt_host.h", "{ fatal_(toQString(message)); }", "{ (void)toQString(message); }")]),
    ("qt: a second START keeps the first countdown", "native", [
        ("host/qt/qt_host.h", "{ timer1_.start(milliseconds); }", "{ if (!timer1_.isActive()) timer1_.start(milliseconds); }")]),
    ("qt: the memorising time may end early", "native", [("host/qt/qt_host.cpp", "    timer1_.setTimerType(Qt::PreciseTimer);\n", "")]),
    ("qt: right-button drags never drop", "native", [
        ("host/qt/qt_host.cpp", "game_.pointerReleased(0, buttonCode(e->button())", "game_.pointerReleased(0, buttonCode(Qt::LeftButton)")]),
    ("controller: an open congratulation window jumps back", ALL, [
        ("ui/controller.cpp", "    if (host_.windowShown(Window::Congratulation)) return;\n", "")]),
    ("win32: a failure is swallowed", "win32", [("host/win32/win32_host.cpp", "    reportAndQuit(form1(), widen(message));", "    (void)widen(message);")]),
    ("win32: the announcements not told", "win32", [
        ("host/win32/win32_host.h", "std::string_view words) override { announcer_.say(words); }", "std::string_view) override {}")]),
    ("win32: the pointer not captured by a held card", "win32", [
        ("host/win32/win32_host.cpp", "void Win32Host::capturePointer(int card, int) { SetCapture(box(Imgx(card)).window()); }",
         "void Win32Host::capturePointer(int, int) {}")]),
    ("web: a failure is swallowed", "web", [("host/web/web_host.h", "{ desk_.showFailure(message); }", "{ (void)message; }")]),
    ("web: a second START keeps the first countdown", "web", [
        ("host/web/web_host.cpp", "if (Module.timer1 !== undefined) clearInterval(Module.timer1);",
         "if (Module.timer1 !== undefined && milliseconds > 0) return; if (Module.timer1 !== undefined) clearInterval(Module.timer1);")]),
    # The windows' rules (ui/windows.cpp), planted once for each host's suite.
    ("windows: the game's keys reach it from the congratulation window", ALL, [
        ("ui/windows.cpp", "        return KeyRoute::Nothing;", "        return KeyRoute::Game;")]),
    ("controller: the keys stay with the closed congratulation window", ALL, [
        ("ui/controller.cpp", "        host_.focus(focusAsClosed(host_.focusedControl(Window::Main)));\n", "")]),
    ("qt: the keys stay with the closed congratulation window", "native", [
        ("host/qt/qt_host.cpp", "    if (!window->isActiveWindow()) window->activateWindow();\n", "")]),
    ("win32: the congratulation window opens with the focus on nothing", "win32", [
        ("host/win32/win32_host.cpp", "    SetFocus(control);\n", "    SetFocus(where.window == ui::Window::Main ? control : window);\n")]),
    ("web: digits typed in the congratulation window reach the game", "web", [
        ("host/web/web_host.cpp", "game_.keyPressed(desk_.activeWindow(),", "game_.keyPressed(ui::Window::Main,")]),
    ("web: the congratulation window opens with its close button focused", "web", [
        ("host/web/windows.cpp", "    control.set(\"tabIndex\", val(-1));\n    control.call<void>(\"focus\");",
         "    form2_.call<val>(\"querySelector\", val(\".close\")).call<void>(\"focus\");")]),
    ("web: the wasm preloaded as well, fetched twice where the requests differ", "web", [
        ("host/web/index.html", '<link rel="preload" href="poromea.js" as="script">',
         '<link rel="preload" href="poromea.js" as="script">\n<link rel="preload" href="poromea.wasm" as="fetch" crossorigin>')]),
    ("web: every build cached under one name, so a new one is never shown", "web", [
        ("host/web/service_worker.cmake", "string(SUBSTRING ${build} 0 16 build)", "set(build 1)")]),
    ("web: zooming forbidden", "web", [
        ("host/web/index.html", 'content="width=device-width, initial-scale=1"', 'content="width=device-width, initial-scale=1, maximum-scale=1, user-scalable=no"')]),

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
    """Builds and runs one suite; returns 'pass', 'fail' or 'not built'."""
    if kind == "native":
        if run(["cmake", "--build", "build", "-j", str(os.cpu_count() or 2)], tree, log):
            return "not built"
        return "pass" if run(["ctest", "-j", "2", "--timeout", "300"], os.path.join(tree, "build"), log) == 0 else "fail"
    if kind == "web":
        if run(["cmake", "--build", "build-wasm", "-j", str(os.cpu_count() or 2)], tree, log) or \
           run(["cmake", "--build", "build", "--target", "web_scenarios"], tree, log):
            return "not built"
        return "pass" if run(["node", "--test"], os.path.join(tree, "tests/web"), log) == 0 else "fail"
    if run(["cmake", "--build", "build-win32", "-j", str(os.cpu_count() or 2)], tree, log):
        return "not built"
    return "pass" if run(["tests/win32/run_wine_tests.sh", "build-win32"], tree, log) == 0 else "fail"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rev", default="HEAD", help="the revision to copy (default HEAD)")
    parser.add_argument("--only", nargs="*", help="faults whose names contain one of these words")
    parser.add_argument("--suite", choices=["native", "win32", "web"], help="only faults of this suite")
    parser.add_argument("--keep", action="store_true", help="keep the scratch copy")
    parser.add_argument("--check", action="store_true", help="only check that every fault fits the code")
    args = parser.parse_args()

    # A fault of the code every host shares is planted once for each host's suite.
    expanded = [(f"{name} [{kind}]" if len(kinds.split()) > 1 else name, kind, alternatives)
                for name, kinds, alternatives in FAULTS for kind in kinds.split()]
    faults = [f for f in expanded if (not args.suite or f[1] == args.suite)
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
