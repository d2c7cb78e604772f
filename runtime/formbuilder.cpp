#include "formbuilder.h"

#include "accessibility.h"
#include "commandbutton.h"
#include "form.h"
#include "formsurface.h"
#include "formwindow.h"
#include "image.h"
#include "label.h"
#include "line.h"
#include "menuitem.h"
#include "picture.h"
#include "picturebox.h"
#include "timer.h"
#include "twips.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <algorithm>
#include <map>

namespace {

// The window's font where a control names none.
QFont defaultFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    return font;
}

QFont makeFont(const FontLayout &stored)
{
    if (!stored.face)
        return defaultFont();
    QFont font(QString::fromUtf8(stored.face));
    font.setPointSizeF(stored.points);
    font.setBold(stored.bold);
    font.setItalic(stored.italic);
    return font;
}

QColor resolve(const ColorLayout &color, QPalette::ColorRole fallback)
{
    const QPalette palette = QApplication::palette();
    switch (color.role) {
    case ColorLayout::Role::Rgb:
        return {color.r, color.g, color.b};
    case ColorLayout::Role::ButtonText:
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case ColorLayout::Role::WindowText:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case ColorLayout::Role::TitleText:
        // Qt has no role for title-bar text; bright text is the palette's colour for text on
        // strong backgrounds, white like an active title's text in the usual schemes.
        return palette.color(QPalette::Active, QPalette::BrightText);
    case ColorLayout::Role::HighlightText:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case ColorLayout::Role::Unset:
        break;
    }
    return palette.color(QPalette::Active, fallback);
}

QString text(const char *utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

void applyBox(BoxControl &box, const ControlLayout &c)
{
    box.move(c.left, c.top);
    box.setWidth(c.width);
    box.setHeight(c.height);
    box.setBackColor(resolve(c.back, QPalette::Button));
    box.setForeColor(resolve(c.fore, QPalette::ButtonText));
    box.setFont(makeFont(c.font));
    box.setEnabled(c.enabled);
    if (c.dragAutomatic)
        box.setDragAutomatic(true, c.dragIcon ? Picture::load(text(c.dragIcon)) : QPixmap());
    if (c.description)
        box.widget()->setAccessibleName(text(c.description));
    if (c.tabIndex >= 0)
        box.widget()->setFocusPolicy(Qt::StrongFocus);
    else if (c.kind != ControlKind::CommandButton)
        box.widget()->setFocusPolicy(Qt::NoFocus);
}

std::unique_ptr<Control> makeControl(Form &form, QWidget *surface, const ControlLayout &c)
{
    const QString name = text(c.name);
    switch (c.kind) {
    case ControlKind::Label: {
        auto label = std::make_unique<Label>(form, name, c.index, surface);
        applyBox(*label, c);
        label->setCaption(text(c.caption));
        label->setAlignment(c.align == TextAlign::Center ? Qt::AlignHCenter : Qt::AlignLeft);
        label->setBorder(c.border);
        return label;
    }
    case ControlKind::CommandButton: {
        auto button = std::make_unique<CommandButton>(form, name, c.index, surface);
        applyBox(*button, c);
        button->setCaption(text(c.caption));
        return button;
    }
    case ControlKind::PictureBox:
    case ControlKind::Image: {
        std::unique_ptr<PictureControl> box;
        if (c.kind == ControlKind::PictureBox)
            box = std::make_unique<PictureBox>(form, name, c.index, surface);
        else
            box = std::make_unique<Image>(form, name, c.index, surface);
        applyBox(*box, c);
        if (c.picture)
            box->setPicture(Picture::load(text(c.picture)));
        return box;
    }
    case ControlKind::Line: {
        auto line = std::make_unique<Line>(form, name, c.index, surface);
        line->setColor(resolve(c.fore, QPalette::WindowText));
        line->setX1(c.x1);
        line->setY1(c.y1);
        line->setX2(c.x2);
        line->setY2(c.y2);
        return line;
    }
    case ControlKind::Timer: {
        auto timer = std::make_unique<Timer>(form, name, c.index);
        timer->setInterval(c.interval);
        timer->setEnabled(c.enabled);
        return timer;
    }
    }
    return nullptr;
}

bool stacksOnTop(ControlKind kind)
{
    return kind == ControlKind::CommandButton || kind == ControlKind::PictureBox;
}

} // namespace

void FormBuilder::build(Form &form)
{
    Accessibility::install();
    const FormLayout &layout = form.m_layout;
    auto *window = new FormWindow(form);
    window->setObjectName(text(layout.name));
    window->setWindowTitle(text(layout.caption));
    if (layout.icon)
        window->setWindowIcon(Picture::loadIcon(text(layout.icon)));

    const QSize client(twipsToPixels(layout.clientWidth), twipsToPixels(layout.clientHeight));
    auto *surface = new FormSurface(form, client);
    surface->setFont(defaultFont());
    QPalette palette = surface->palette();
    palette.setColor(QPalette::Window, resolve(layout.back, QPalette::Window));
    surface->setPalette(palette);
    window->setCentralWidget(surface);

    form.m_window = window;
    form.m_surface = surface;

    if (!layout.menus.empty()) {
        QMenuBar *bar = window->menuBar();
        // Kept inside the window, so that its outer size is the same on every desktop.
        bar->setNativeMenuBar(false);
        QMenu *current = nullptr;
        for (const MenuLayout &m : layout.menus) {
            const QString caption = text(m.caption);
            QAction *action = nullptr;
            if (m.level == 0) {
                current = bar->addMenu(caption);
                current->setObjectName(text(m.name) + QStringLiteral("_menu"));
                action = current->menuAction();
            } else if (current) {
                action = caption == QLatin1String("-") ? current->addSeparator()
                                                       : current->addAction(caption);
            }
            if (!action)
                continue;
            auto item = std::make_unique<MenuItem>(form, text(m.name), -1, action);
            item->setCaption(caption); // a separator keeps its "-"
            form.m_byName.insert(item->objectName(), item.get());
            form.m_controls.push_back(std::move(item));
        }
    }

    // The first control in stored order is drawn on top: build from the last one up. Buttons
    // and picture boxes are then raised above labels, images and lines.
    std::vector<std::unique_ptr<Control>> built;
    std::vector<QWidget *> raised;
    std::map<int, QWidget *> focusOrder;
    for (auto c = layout.controls.rbegin(); c != layout.controls.rend(); ++c) {
        std::unique_ptr<Control> control = makeControl(form, surface, *c);
        if (auto *visual = dynamic_cast<VisualControl *>(control.get())) {
            visual->setVisible(true);
            if (stacksOnTop(c->kind))
                raised.push_back(visual->widget());
            if (c->tabIndex >= 0)
                focusOrder[c->tabIndex] = visual->widget();
        }
        if (c->index >= 0) {
            const QString name = text(c->name);
            form.m_arrayCounts[name] = std::max(form.m_arrayCounts.value(name), c->index + 1);
        }
        form.m_byName.insert(control->objectName(), control.get());
        built.push_back(std::move(control));
    }
    for (QWidget *w : raised)
        w->raise();
    QWidget *previous = nullptr;
    for (const auto &[tabIndex, w] : focusOrder) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    // Stored order again, for anyone walking the controls.
    std::reverse(built.begin(), built.end());
    for (auto &control : built)
        form.m_controls.push_back(std::move(control));

    window->resize(window->sizeHint());
}
