#include "WindowParts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace rdmod {

QString AccessibleName(const QString &group, const QString &caption)
{
    QString c = caption;
    c.remove(QLatin1Char(' '));
    if (group.isEmpty())
        return c;
    QString g = group;
    g.remove(QLatin1Char(' '));
    return g + QLatin1Char(' ') + c;
}

QLabel *PlaceLabel(QWidget *parent, const QString &text, int x, int y, int w, int h)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, w, h);
    return label;
}

QLineEdit *PlaceEdit(QWidget *parent, const QString &name, int x, int y, int w, int h)
{
    auto *edit = new QLineEdit(parent);
    edit->setGeometry(x, y, w, h);
    edit->setAccessibleName(name);
    return edit;
}

QComboBox *PlaceCombo(QWidget *parent, const QString &name, int x, int y, int w, bool editable, int h)
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(editable);
    if (editable)
        combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(x, y, w, h);
    combo->setAccessibleName(name);
    combo->setMaxVisibleItems(16);
    return combo;
}

QPushButton *PlaceButton(QWidget *parent, const QString &text, int x, int y, int w, int h)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(x, y, w, h);
    button->setAccessibleName(text);
    return button;
}

} // namespace rdmod
