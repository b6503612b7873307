// A Prompter for tests and tools: records every message; dialogs are answered by
// `answer`, which may fill in the dialog's fields and returns the result
// (Rejected when unset).
#pragma once

#include "common/widgets/Prompter.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

class ScriptedPrompter : public Prompter {
public:
    void message(QWidget *, const QString &text) override { messages.push_back(text); }
    int exec(QDialog &dialog) override
    {
        ++dialogsShown;
        return answer ? answer(dialog) : int(QDialog::Rejected);
    }

    std::vector<QString> messages;
    std::function<int(QDialog &)> answer;
    int dialogsShown = 0;
};
