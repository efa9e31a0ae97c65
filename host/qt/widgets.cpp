#include "host/qt/widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QPainter>
#include <algorithm>
#include <stdexcept>

#include "ui/access.h"

namespace poromea::qt {

PictureBox::PictureBox(QWidget* parent, bool stretch) : QWidget(parent), stretch_(stretch) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // every picture covers its control
}

void PictureBox::setPicture(PictureRef picture, QString description) {
    if (!picture) throw std::invalid_argument("an image control cannot show nothing");
    if (picture == picture_) return;
    picture_ = std::move(picture);
    description_ = std::move(description);
    scaled_ = QPixmap();
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (!picture_) return;
    // In the screen's own pixels: the picture drawn at or above the density it is shown at, scaled
    // once where it is not shown at a density it was drawn for (stretched, or a ratio such as 1.5).
    const QtPicture& picture = qtPicture(picture_);
    const qreal ratio = devicePixelRatioF();
    const QSize shown = stretch_ ? size() : picture.pixmap.size();
    const QSize device = (QSizeF(shown) * ratio).toSize();
    if (scaled_.size() != device || scaled_.devicePixelRatio() != ratio) {
        const QSize own = picture.pixmap.size();
        const qreal stretch = std::max(qreal(shown.width()) / own.width(), qreal(shown.height()) / own.height());
        scaled_ = picture.at(ratio * stretch);
        if (scaled_.size() != device) scaled_ = scaled_.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(ratio);
    }
    QPainter(this).drawPixmap(0, 0, scaled_);
}

DragOutline::DragOutline(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void DragOutline::paintEvent(QPaintEvent*) {
    // A dark frame with a light inner line shows on every picture the game has.
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
}

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 1, 1);  // an empty size would make it invisible to the screen reader
    hide();
}

void Announcer::say(const QString& words) {
    hide();
    setAccessibleName(words);
    lower();
    show();
}

QWidget* BuiltForm::control(std::string_view name, int index) const {
    return controls.value(toQString(ui::controlKey(name, index)), nullptr);
}

ui::ControlId BuiltForm::idOf(const QWidget* widget) const {
    for (const auto& [id, control] : ids) {
        if (widget && control == widget) return id;
    }
    return ui::ControlId::None;
}

QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

namespace {

class PictureBoxAccessible final : public QAccessibleWidget {
public:
    explicit PictureBoxAccessible(PictureBox* box) : QAccessibleWidget(box, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description) return box()->description();
        return QAccessibleWidget::text(t);
    }

private:
    PictureBox* box() const { return static_cast<PictureBox*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (auto* box = qobject_cast<PictureBox*>(object)) return new PictureBoxAccessible(box);
    if (auto* announcer = qobject_cast<Announcer*>(object)) {
        return new QAccessibleWidget(announcer, QAccessible::Notification);
    }
    // The game's windows are plain widgets; a screen reader must know them as windows.
    if (auto* w = qobject_cast<QWidget*>(object); w && w->isWindow() && className == u"QWidget") {
        return new QAccessibleWidget(w, QAccessible::Window);
    }
    return nullptr;
}

QFont fontOf(const ui::Font& f) {
    // Where the designed face is missing, the free face of the same style
    // stands in. Asking for the face that is installed, rather than for the
    // missing one with a substitute, spares Qt a fontconfig fallback search
    // for every script in every label: most of the first paint's time.
    const QString designed = toQString(f.family);
    QFont font(QFontDatabase::families().contains(designed) ? designed : toQString(f.fallback));
    font.setPixelSize(ui::fontPixels(f.points));
    font.setWeight(QFont::Normal);
    return font;
}

// Makes image controls known to screen readers as images that say what they show.
void installAccessibility() {
    [[maybe_unused]] static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
}

}  // namespace

BuiltForm buildForm(const ui::Form& form, QWidget* window, PictureLibrary& pictures) {
    installAccessibility();
    BuiltForm built;
    window->setWindowTitle(toQString(form.caption));
    window->setFixedSize(ui::pixels(form.clientWidth), ui::pixels(form.clientHeight));
    if (form.background) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, QColor(form.background->r, form.background->g, form.background->b));
        window->setPalette(palette);
        window->setAutoFillBackground(true);
    }

    for (const ui::Control& c : form.controls) {
        QWidget* widget = nullptr;
        switch (c.kind) {
        case ui::Kind::Image: {
            auto* box = new PictureBox(window, c.stretch);
            box->setPicture(pictures.get(toQString(c.picture)), c.image ? toQString(ui::openingDescription(*c.image)) : QString());
            widget = box;
            break;
        }
        case ui::Kind::Label: {
            auto* label = new QLabel(toQString(c.text), window);
            label->setFont(fontOf(*c.font));
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->setAutoFillBackground(true);  // opaque, in the window's colour
            label->setTextFormat(Qt::PlainText);
            widget = label;
            break;
        }
        case ui::Kind::Button: {
            auto* button = new QPushButton(toQString(c.text), window);
            button->setAutoDefault(false);
            widget = button;
            break;
        }
        }
        const ui::PixelRect r = c.pixelRect();
        widget->setObjectName(toQString(c.key()));
        widget->setGeometry(r.left, r.top, r.width, r.height);
        if (!c.accessibleName.empty()) widget->setAccessibleName(toQString(c.accessibleName));
        if (!c.description.empty()) widget->setAccessibleDescription(toQString(c.description));
        widget->setFocusPolicy(Qt::NoFocus);
        built.controls.insert(widget->objectName(), widget);
        if (c.id != ui::ControlId::None) built.ids[c.id] = widget;
    }

    QWidget* previous = nullptr;
    for (ui::ControlId id : form.tabOrder) {
        QWidget* widget = built.ids.at(id);
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return built;
}

}  // namespace poromea::qt
