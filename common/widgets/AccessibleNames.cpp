// Accessible names from visible labels and texts (the rule is in the header).
#include "AccessibleNames.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace rdwidgets {

namespace {

// Blanks that space out a Chinese caption ("相 电 压", "退  出") go; a run of blanks
// between two Latin characters stays as one, so that an English caption keeps its
// words ("Slave address", not "Slaveaddress").
QString NoBlanks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char(' ')) {
            out += text[i];
            continue;
        }
        int next = i;
        while (next < text.size() && text[next] == QLatin1Char(' '))
            ++next;
        if (!out.isEmpty() && next < text.size() && out.back().unicode() < 0x80
            && text[next].unicode() < 0x80)
            out += QLatin1Char(' ');
        i = next - 1;
    }
    return out;
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
