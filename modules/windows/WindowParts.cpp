// Placing the controls of the module windows, each named from its visible label.
#include "WindowParts.h"

#include "common/widgets/ValueLabel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace rdmod {

namespace {

// Names `control` and makes the label in `parent` that shows its caption (the
// last word of the name) its buddy; a control without such a label keeps the name.
void NameFromLabel(QWidget *parent, QWidget *control, const QString &name)
{
    const QString caption = name.section(QLatin1Char(' '), -1);
    for (QLabel *label : parent->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly)) {
        QString text = label->text();
        text.remove(QLatin1Char(' '));
        if (text == caption && !label->buddy()) {
            rdwidgets::LabelFor(label, control, name);
            return;
        }
    }
    control->setAccessibleName(name);
}

} // namespace

QLabel *PlaceLabel(QWidget *parent, const QString &text, int x, int y, int w, int h)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, w, h);
    return label;
}

QLabel *PlaceValueLabel(QWidget *parent, const QString &name, const QString &text, int x, int y, int w, int h)
{
    auto *label = new rdwidgets::ValueLabel(name, parent, text);
    label->setGeometry(x, y, w, h);
    return label;
}

QLineEdit *PlaceEdit(QWidget *parent, const QString &name, int x, int y, int w, int h)
{
    auto *edit = new QLineEdit(parent);
    edit->setGeometry(x, y, w, h);
    NameFromLabel(parent, edit, name);
    return edit;
}

QComboBox *PlaceCombo(QWidget *parent, const QString &name, int x, int y, int w, bool editable, int h)
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(editable);
    if (editable)
        combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(x, y, w, h);
    combo->setMaxVisibleItems(16);
    // After setEditable, so that the list's edit is named too.
    NameFromLabel(parent, combo, name);
    return combo;
}

QPushButton *PlaceButton(QWidget *parent, const QString &text, int x, int y, int w, int h)
{
    auto *button = new QPushButton(parent);
    rdwidgets::SetCaption(button, text);
    button->setGeometry(x, y, w, h);
    return button;
}

} // namespace rdmod
