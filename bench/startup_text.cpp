// Start-up probe for the toolkit's floor under the main window's text: the
// window's labels and buttons alone, built from the same layout data with the
// same fonts, and nothing else (no pictures, no icon, no host). What this
// costs above the empty window is what any Qt program pays to draw this text.
#include <QApplication>
#include <QWidget>
#include <vector>

#include "first_frame.h"
#include "host/qt/picture_library.h"
#include "host/qt/widgets.h"
#include "ui/layout.h"

int main(int argc, char* argv[]) {
    using namespace poromea;
    QApplication app(argc, argv);
    std::vector<ui::Control> text;
    for (const ui::Control& c : ui::kForm1.controls) {
        if (c.kind == ui::Kind::Label || c.kind == ui::Kind::Button) text.push_back(c);
    }
    ui::Form form = ui::kForm1;
    form.controls = text;
    QWidget window;
    qt::PictureLibrary noPictures;  // asked for nothing: the form holds no image
    qt::buildForm(form, &window, noPictures);
    bench::QuitAfterFirstFrame quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
