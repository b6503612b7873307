// The trace file of the line monitor.
#include "TraceFile.h"

#include "TrafficModel.h"

#include <QSaveFile>
#include <QStringList>

namespace rdtraffic {

QString SuggestedTraceName(const QString &program, const QDateTime &at)
{
    return QStringLiteral("%1-trace-%2.txt").arg(program, at.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

bool WriteTrace(const QString &path, const TrafficModel &model, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QStringList header;
    for (int c = 0; c < TrafficModel::ColumnCount; ++c)
        header << TrafficModel::headerText(c);
    file.write(header.join(QLatin1Char('\t')).toUtf8());
    file.write("\n");
    for (int r = 0; r < model.rowCount(); ++r) {
        file.write(model.rowText(r).toUtf8());
        file.write("\n");
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace rdtraffic
