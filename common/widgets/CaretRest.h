// The text caret stops blinking after a while without input, and shows steadily,
// as GNOME (after 10 s) and Windows (after 5 s) do. A blinking caret repaints its
// box twice a second for as long as the window stays open: in a window left
// polling at a panel, with the address box focused, that was a third of the main
// thread's wakes. A key, a click, a change of focus or of the active window makes
// it blink again. When the desktop's caret does not blink at all, this does nothing.
#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

namespace rdwidgets {

class CaretRest : public QObject {
public:
    // Watches the whole application's input; call once, after the QApplication.
    explicit CaretRest(QObject *parent = nullptr, std::chrono::milliseconds idle = std::chrono::seconds(10));
    ~CaretRest() override;

    // What the idle timer calls: the caret stops blinking until the next input.
    void rest();
    bool resting() const { return m_resting; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wake();

    int m_flashTime = 0;   // the desktop's blink period, put back at every input
    bool m_resting = false;
    QTimer m_idle;
};

} // namespace rdwidgets
