// The entered fields of the main program: the strict whole-number check behind the
// slave address, PT, CT and pulse width fields, and the port number of the
// communication settings dialog. Input: a range selector (1 byte; the program's own
// ranges or, past them, min and max from the next 8 bytes), then the text as UTF-8.
// Each result is compared with an independent reading of the same text.
#include "meter/app/PortNumber.h"
#include "meter/commands/CommandRules.h"

#include <QRegularExpression>

#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Range {
    uint32_t min;
    uint32_t max;
};

// Slave address (main window and address dialog) and pulse width; PT and CT.
constexpr Range kRanges[] = {{0, 255}, {rdcmd::kRatioMin, rdcmd::kRatioMax}};

void CheckWholeNumberAgainstReference(const QString &text, Range range)
{
    const rdcmd::NumberCheck check = rdcmd::CheckWholeNumber(text, range.min, range.max);
    static const QRegularExpression whole(QStringLiteral("\\A([+-]?)([0-9]+)\\z"));
    const QRegularExpressionMatch match = whole.match(text.trimmed());
    Check(check.notANumber == !match.hasMatch());
    if (!match.hasMatch()) {
        Check(!check.ok);
        return;
    }
    // The digits without leading zeros decide the range by length, then by value.
    QString digits = match.captured(2);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    const bool negative = match.captured(1) == QLatin1String("-") && digits != QLatin1String("0");
    bool inRange = false;
    if (!negative && digits.size() <= 10) {
        const qulonglong value = digits.toULongLong();
        inRange = value >= range.min && value <= range.max;
        if (inRange)
            Check(check.value == value);
    }
    Check(check.ok == inRange);
    if (check.ok)
        Check(!rdcmd::OutOfRangeMessage(range.min, range.max).isEmpty());
}

void CheckPortNumber(const QString &text)
{
    const std::optional<int> number = ParsePortNumber(text);
    static const QRegularExpression whole(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    if (!whole.match(text.trimmed()).hasMatch()) {
        Check(!number);
        return;
    }
    if (!number)
        return;   // a number too long for an int
    // Accepted: the same number as the text says, and a status text that names it.
    Check(QString::number(*number) == QString::number(text.trimmed().toLongLong()));
    for (const auto parity : {rdlink::Parity::None, rdlink::Parity::Odd, rdlink::Parity::Even})
        Check(rdcmd::LinkStatusText(*number, 9600, parity, parity == rdlink::Parity::Odd)
                  .contains(QString::number(*number)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t selector = data[0];
    Range range{};
    size_t textFrom = 1;
    if (selector < 64) {
        range = kRanges[selector % 2];
    } else {
        if (size < 9)
            return 0;
        range.min = uint32_t(data[1]) << 24 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 8 | data[4];
        range.max = uint32_t(data[5]) << 24 | uint32_t(data[6]) << 16 | uint32_t(data[7]) << 8 | data[8];
        textFrom = 9;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + textFrom), int(size - textFrom));
    CheckWholeNumberAgainstReference(text, range);
    CheckPortNumber(text);
    return 0;
}
