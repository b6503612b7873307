#include "RelayBlock.h"

#include "ValueField.h"
#include <QCoreApplication>

namespace rdmod {

namespace {

QString FieldName(const QString &group, const char *label)
{
    return group + QLatin1Char(' ') + QCoreApplication::translate("CModuleSetDlg", label);
}

} // namespace

RelayView DecodeRelay(const RelayRegisters &regs, Ratios ratios)
{
    RelayView view;
    const auto mode = FindRelayModeByRegister(regs[0]);
    view.modeKnown = mode.has_value();
    if (mode) {
        view.texts.mode = mode->text;
        if (mode->kind)
            view.unit = UnitText(*mode->kind, Scale::Kilo);
    }
    for (int i : {1, 2}) {
        const double v = (mode && mode->kind) ? DecodeValue(*mode->kind, regs[i], ratios, Scale::Kilo)
                                              : DecodeUnscaled(regs[i]);
        (i == 1 ? view.texts.operate : view.texts.reset) = FormatValue(v);
    }
    view.texts.operateDelay = QString::number(regs[3]);
    view.texts.resetDelay = QString::number(regs[4]);
    view.texts.pulseWidth = QString::number(regs[5]);
    return view;
}

std::variant<RelayRegisters, FieldError> EncodeRelay(const RelayTexts &texts, Ratios ratios,
                                                     const QString &group)
{
    RelayRegisters regs{};
    const auto mode = FindRelayModeByText(texts.mode);
    if (!mode)
        return FieldError{FieldName(group, QT_TRANSLATE_NOOP("CModuleSetDlg", "控制方式")), QCoreApplication::translate("RelayBlock", "列表中的一项"), QString()};
    regs[0] = static_cast<uint16_t>(mode->code);

    struct Item {
        const QString *text;
        const char *label;
        int index;
        bool value;   // converted by kind; otherwise a whole number of seconds
    };
    const Item items[] = {
        {&texts.operate, QT_TRANSLATE_NOOP("CModuleSetDlg", "启动值"), 1, true},       {&texts.reset, QT_TRANSLATE_NOOP("CModuleSetDlg", "复归值"), 2, true},
        {&texts.operateDelay, QT_TRANSLATE_NOOP("CModuleSetDlg", "启动延时"), 3, false}, {&texts.resetDelay, QT_TRANSLATE_NOOP("CModuleSetDlg", "复归延时"), 4, false},
        {&texts.pulseWidth, QT_TRANSLATE_NOOP("CModuleSetDlg", "脉冲宽度"), 5, false},
    };
    for (const Item &item : items) {
        const QString field = FieldName(group, item.label);
        const auto result = item.value
            ? EncodeValueField(*item.text, mode->kind, ratios, Scale::Kilo, field)
            : EncodeWholeField(*item.text, 65535, field);
        if (const auto *error = std::get_if<FieldError>(&result))
            return *error;
        regs[item.index] = std::get<uint16_t>(result);
    }
    return regs;
}

QString RelayUnitAt(int position)
{
    const QStringList texts = RelayModeTexts();
    if (position < 0 || position >= texts.size())
        return QString();
    const auto mode = FindRelayModeByText(texts.at(position));
    return (mode && mode->kind) ? UnitText(*mode->kind, Scale::Kilo) : QString();
}

} // namespace rdmod
