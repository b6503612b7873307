#include "Profile.h"

#include <QCoreApplication>

namespace rdprof {

QString RelayModuleName(int index)
{
    return QStringLiteral("K2_%1#").arg(index + 1);
}

QString AnalogModuleName(int index)
{
    return QStringLiteral("A20_%1#").arg(index + 1);
}

QString PulseModuleName()
{
    return QStringLiteral("E2");
}

QStringList ModuleNames(uint8_t presence)
{
    // The presence bits in the order of the main window's lamps.
    const struct {
        uint8_t bit;
        const char *name;
    } modules[] = {{0x01, "E2"}, {0x04, "A20_1#"}, {0x08, "A20_2#"}, {0x10, "K2_1#"}, {0x20, "K2_2#"}, {0x40, "K2_3#"}};
    QStringList names;
    for (const auto &m : modules)
        if (presence & m.bit)
            names << QString::fromLatin1(m.name);
    return names;
}

QStringList WiringTexts()
{
    // The texts of "仪表设置"'s radio buttons, translated in its own context.
    static const char *const texts[] = {
        QT_TRANSLATE_NOOP("MeterSetDlg", "3相4线(非平衡)"), QT_TRANSLATE_NOOP("MeterSetDlg", "单相2线"),
        QT_TRANSLATE_NOOP("MeterSetDlg", "3相3线(非平衡)"), QT_TRANSLATE_NOOP("MeterSetDlg", "3相3线(平衡)"),
        QT_TRANSLATE_NOOP("MeterSetDlg", "单相3线"),        QT_TRANSLATE_NOOP("MeterSetDlg", "3相4线(平衡)")};
    QStringList list;
    for (const char *t : texts)
        list << QString::fromUtf8(t);
    return list;
}

QString ParityText(rdlink::Parity parity)
{
    switch (parity) {
    case rdlink::Parity::Odd: return QStringLiteral("奇校验");
    case rdlink::Parity::Even: return QStringLiteral("偶校验");
    case rdlink::Parity::None: break;
    }
    return QStringLiteral("无校验");
}

std::optional<rdlink::Parity> ParityFromText(const QString &text)
{
    for (rdlink::Parity p : {rdlink::Parity::None, rdlink::Parity::Odd, rdlink::Parity::Even})
        if (text == ParityText(p))
            return p;
    return std::nullopt;
}

} // namespace rdprof
