// One exclusive choice made with radio buttons, bound to a stored value. The
// buttons stay auto-exclusive, so they are reported as radio buttons (a radio
// button that is not auto-exclusive reports itself as a check box), and the
// stored value follows whichever button becomes checked, however that happened:
// a click, the arrow keys, an accessibility action ("Toggle", "Press") or code.
#pragma once

#include <QObject>

#include <functional>

class QButtonGroup;
class QRadioButton;

namespace rdwidgets {

class RadioChoice : public QObject {
    Q_OBJECT
public:
    // `store` receives the id of each button that becomes checked.
    RadioChoice(QObject *parent, std::function<void(int)> store);

    void add(QRadioButton *button, int id);
    // Checks the button of `id`; an id without a button leaves them all clear
    // (a stored value the dialog does not know) and stores nothing.
    void show(int id);
    // The id of the checked button, -1 when none is.
    int checkedId() const;

private:
    QButtonGroup *m_group = nullptr;
    std::function<void(int)> m_store;
};

} // namespace rdwidgets
