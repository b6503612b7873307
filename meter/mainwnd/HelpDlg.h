// "使用说明": the usage notes, a modeless window; every press of the button opens
// another one, which deletes itself when closed.
#pragma once

#include <QDialog>
#include <QStringList>

class CHelpDlg : public QDialog {
    Q_OBJECT
public:
    explicit CHelpDlg(QWidget *parent = nullptr);

    // The twenty lines, top to bottom.
    static QStringList Lines();
};
