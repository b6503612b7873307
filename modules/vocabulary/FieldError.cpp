#include "FieldError.h"
#include <QCoreApplication>

namespace rdmod {

QString FieldErrorMessage(const FieldError &error)
{
    if (!error.problem.isEmpty())
        return QCoreApplication::translate("FieldError", "%1: %2。\n参数未发送。").arg(error.field, error.problem);
    return QCoreApplication::translate("FieldError", "%1: 只接受%2。\n参数未发送。").arg(error.field, error.accepts);
}

} // namespace rdmod
