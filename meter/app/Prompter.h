// The seam between the programs and the user's modal answers: plain message boxes
// and modal dialogs go through a Prompter, so tests can answer them without a
// person. The real one shows them; tests install a scripted one.
#pragma once

#include <QString>
#include <functional>
#include <vector>

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

// For tests: records every message; dialogs are answered by `answer`, which may
// fill in the dialog's fields and returns the result (Rejected when unset).
class ScriptedPrompter : public Prompter {
public:
    void message(QWidget *, const QString &text) override { messages.push_back(text); }
    int exec(QDialog &dialog) override;

    std::vector<QString> messages;
    std::function<int(QDialog &)> answer;
    int dialogsShown = 0;
};
