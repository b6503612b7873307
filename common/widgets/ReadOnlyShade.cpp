// The shade of read-only boxes, kept in step with their read-only state.
#include "ReadOnlyShade.h"

#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

namespace rdwidgets {

namespace {

bool IsReadOnly(const QWidget *box)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(box))
        return edit->isReadOnly();
    if (auto *text = qobject_cast<const QPlainTextEdit *>(box))
        return text->isReadOnly();
    return false;
}

void Shade(QWidget *box)
{
    const QWidget *parent = box->parentWidget();
    const QPalette inherited = parent ? parent->palette() : box->palette();
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, IsReadOnly(box) ? box->window()->palette().color(QPalette::Window)
                                                     : inherited.color(QPalette::Base));
    palette.setColor(QPalette::Text, inherited.color(QPalette::Text));
    box->setPalette(palette);
}

// Re-shades a box each time its read-only state changes.
class ShadeFollower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ReadOnlyChange)
            Shade(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

void ShadeReadOnlyBoxes(QWidget *window)
{
    auto *follower = new ShadeFollower(window);
    QList<QWidget *> boxes;
    for (QLineEdit *edit : window->findChildren<QLineEdit *>())
        boxes.append(edit);
    for (QPlainTextEdit *text : window->findChildren<QPlainTextEdit *>())
        boxes.append(text);
    for (QWidget *box : boxes) {
        // The edit inside a combo box belongs to the list, which keeps its own look.
        if (box->parentWidget() && box->parentWidget()->inherits("QComboBox"))
            continue;
        Shade(box);
        box->installEventFilter(follower);
    }
}

} // namespace rdwidgets
