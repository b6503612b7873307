// RadioChoice: an exclusive button group whose checked button is the stored value.
#include "RadioChoice.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>

namespace rdwidgets {

RadioChoice::RadioChoice(QObject *parent, std::function<void(int)> store)
    : QObject(parent), m_group(new QButtonGroup(this)), m_store(std::move(store))
{
    m_group->setExclusive(true);
    // idToggled, not idClicked: a button checked by the keyboard, by an
    // accessibility action or by code never emits clicked.
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && m_store)
            m_store(id);
    });
}

void RadioChoice::add(QRadioButton *button, int id)
{
    button->setAutoExclusive(true);
    m_group->addButton(button, id);
}

void RadioChoice::show(int id)
{
    if (QAbstractButton *button = m_group->button(id)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; let go of that for a moment.
    m_group->setExclusive(false);
    for (QAbstractButton *button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

int RadioChoice::checkedId() const
{
    return m_group->checkedId();
}

} // namespace rdwidgets
