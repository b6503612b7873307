// One status lamp: a 20 x 20 block whose top-left shows the 8 x 9 lamp bitmap,
// red when on, light cyan when off. The lamp keeps its state across repaints and
// tells a screen reader its caption and its state ("亮" / "灭").
#pragma once

#include <QPixmap>
#include <QWidget>

class CLamp : public QWidget {
    Q_OBJECT
public:
    CLamp(const QString &caption, QWidget *parent);

    void setOn(bool on);
    bool isOn() const { return m_on; }

    static constexpr int kSize = 20;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_on = false;
    QPixmap m_onBitmap;
    QPixmap m_offBitmap;
};
