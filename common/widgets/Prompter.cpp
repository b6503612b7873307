#include "Prompter.h"

#include <QDialog>
#include <QMessageBox>

void QtPrompter::message(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, m_caption, text, QMessageBox::Ok);
}

int QtPrompter::exec(QDialog &dialog)
{
    return dialog.exec();
}
