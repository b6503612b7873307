// A label that shows a value beside its caption: the success rate, a unit, the
// device a port number opens. A plain label named after its caption hides its
// text from a screen reader (the name replaces it); this one is named after its
// caption and reports its text as its value and through the text interface.
#pragma once

#include <QLabel>

namespace rdwidgets {

class ValueLabel : public QLabel {
    Q_OBJECT
public:
    // `caption` is the accessible name; the text is the value shown.
    ValueLabel(const QString &caption, QWidget *parent, const QString &text = QString());
};

} // namespace rdwidgets
