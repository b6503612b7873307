// The seam between the programs and the user's modal answers: plain message boxes
// and modal dialogs go through a Prompter, so tests can answer them without a
// person. The real one shows them; tests install a scripted one.
#pragma once

#include <QString>

class QDialog;
class QWidget;

class Prompter {
public:
    virtual ~Prompter() = default;
    // A plain message box with an OK button and the program's name as caption.
    virtual void message(QWidget *parent, const QString &text) = 0;
    // Runs a dialog modally; returns QDialog::Accepted or QDialog::Rejected.
    virtual int exec(QDialog &dialog) = 0;
};

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QString caption) : m_caption(std::move(caption)) {}
    void message(QWidget *parent, const QString &text) override;
    int exec(QDialog &dialog) override;

private:
    QString m_caption;
};
