#include "DialogFields.h"

#include "meter/commands/CommandRules.h"
#include "common/widgets/Prompter.h"

#include <QLineEdit>

bool ReadNumberField(QLineEdit *edit, uint32_t min, uint32_t max, Prompter &prompter,
                     QWidget *parent, uint32_t *value)
{
    const rdcmd::NumberCheck check = rdcmd::CheckWholeNumber(edit->text(), min, max);
    if (check.ok) {
        *value = check.value;
        return true;
    }
    prompter.message(parent, check.notANumber ? rdcmd::NotANumberMessage()
                                              : rdcmd::OutOfRangeMessage(min, max));
    edit->setFocus();
    edit->selectAll();
    return false;
}
