// A refused field: which field, and what it accepts. The windows turn it into the
// message the user sees before anything is sent.
#pragma once

#include <QString>

namespace rdmod {

struct FieldError {
    QString field;     // accessible name of the field, e.g. "继电器OUT1 启动值"
    QString accepts;   // e.g. "0.000 至 6553.500 V 之间的数值"
    QString problem;   // when set, said instead of what the field accepts
};

// "<field>: 只接受<accepts>。\n参数未发送。" (or the problem instead of what it accepts)
QString FieldErrorMessage(const FieldError &error);

} // namespace rdmod
