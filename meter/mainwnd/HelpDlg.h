// "使用说明": the usage notes, a modeless window; every press of the button opens
// another one, which deletes itself when closed.
#pragma once

#include <QDialog>
#include <QStringList>

class QScrollArea;

class CHelpDlg : public QDialog {
    Q_OBJECT
public:
    explicit CHelpDlg(QWidget *parent = nullptr);

    // The twenty lines, top to bottom, then the notes added since.
    static QStringList Lines();

    // All of the notes where the screen's available area holds them, else the
    // page scrolls in a window cut to the area.
    void fitToScreen(const QRect &available);

private:
    QWidget *m_page = nullptr;
    QScrollArea *m_scroll = nullptr;
};
