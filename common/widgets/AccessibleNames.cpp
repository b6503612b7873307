// Accessible names from visible labels and texts (the rule is in the header).
#include "AccessibleNames.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace rdwidgets {

namespace {

QString NoBlanks(QString text)
{
    text.remove(QLatin1Char(' '));
    return text;
}

} // namespace

QString CaptionName(const QString &group, const QString &caption)
{
    if (group.isEmpty())
        return NoBlanks(caption);
    return NoBlanks(group) + QLatin1Char(' ') + NoBlanks(caption);
}

void LabelFor(QLabel *label, QWidget *control, const QString &name)
{
    label->setBuddy(control);
    const QString shown = name.isEmpty() ? NoBlanks(label->text()) : name;
    control->setAccessibleName(shown);
    // The edit of an editable combo box takes the focus; without a name of its
    // own a screen reader would announce only the text in it.
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        if (QLineEdit *edit = combo->lineEdit())
            edit->setAccessibleName(shown);
    }
}

void SetCaption(QAbstractButton *button, const QString &text)
{
    button->setText(text);
    button->setAccessibleName(text);
}

} // namespace rdwidgets
