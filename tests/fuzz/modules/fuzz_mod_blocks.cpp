// Entered texts and register values of the module windows, from arbitrary bytes.
// Input: PT (2 bytes), CT (2 bytes), then NUL-separated texts for one relay (mode,
// operate, reset, three whole numbers), one analog output (quantity, 4 mA,
// 20 mA) and the two energy pulse fields. Checks: nothing crashes; whatever is accepted decodes to the shown
// value's register again (a setting read back and written unchanged stays put);
// decoding any register block gives texts the encoder accepts or refuses cleanly.
#include "modules/vocabulary/AnalogBlock.h"
#include "modules/vocabulary/Conversions.h"
#include "modules/vocabulary/ControlQuantity.h"
#include "modules/vocabulary/RelayBlock.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

using namespace rdmod;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const Ratios ratios{uint16_t(data[0] << 8 | data[1]), uint16_t(data[2] << 8 | data[3])};
    const QByteArray rest(reinterpret_cast<const char *>(data + 4), int(size - 4));
    QStringList texts;
    for (const QByteArray &part : rest.split('\0'))
        texts << QString::fromUtf8(part);
    while (texts.size() < 11)
        texts << QString();
    // A mode text "#n" picks list entry n, so the fuzzer reaches the conversions
    // without having to spell the Chinese texts.
    const QStringList modes = RelayModeTexts();
    QString mode = texts[0];
    if (mode.startsWith(QLatin1Char('#')))
        mode = modes.at(qAbs(mode.mid(1).toInt() % int(modes.size())));

    const RelayTexts relay{mode, texts[1], texts[2], texts[3], texts[4], texts[5]};
    const auto encoded = EncodeRelay(relay, ratios, QStringLiteral("继电器OUT1"));
    if (const auto *regs = std::get_if<RelayRegisters>(&encoded)) {
        const RelayView view = DecodeRelay(*regs, ratios);
        Check(view.texts.mode == mode);
        // Written back as shown, the block is the same.
        const auto again = EncodeRelay(view.texts, ratios, QStringLiteral("继电器OUT1"));
        Check(std::holds_alternative<RelayRegisters>(again));
        Check(std::get<RelayRegisters>(again) == *regs);
    } else {
        Check(!std::get<FieldError>(encoded).field.isEmpty());
    }

    QString quantity = texts[6];
    if (quantity.startsWith(QLatin1Char('#')))
        quantity = QuantityTexts().at(qAbs(quantity.mid(1).toInt() % kQuantityCount));
    const auto analog = EncodeAnalog({quantity, texts[7], texts[8]}, ratios, QStringLiteral("电流输出1路"));
    if (const auto *regs = std::get_if<AnalogRegisters>(&analog)) {
        const AnalogView view = DecodeAnalog(*regs, ratios);
        const auto again = EncodeAnalog(view.texts, ratios, QStringLiteral("电流输出1路"));
        Check(std::holds_alternative<AnalogRegisters>(again));
        Check(std::get<AnalogRegisters>(again) == *regs);
    }

    // The energy pulse fields: whole numbers 0..255, shown back as entered.
    for (int i = 9; i < 11; ++i) {
        const auto pulse = EncodePulseField(texts[i], QStringLiteral("脉冲"));
        if (const auto *reg = std::get_if<uint16_t>(&pulse)) {
            Check(*reg <= 255);
            Check(DecodePulseRegister(*reg).toInt() == texts[i].trimmed().toInt());
        } else {
            Check(!std::get<FieldError>(pulse).field.isEmpty());
        }
    }
    // The strict readings behind every field agree with each other: a whole number
    // is also a number, with the same value.
    for (const QString &text : texts) {
        const std::optional<int> whole = ParseWhole(text, 65535);
        if (whole) {
            const std::optional<double> number = ParseNumber(text);
            Check(number && *number == *whole);
        }
    }

    // Any block the instrument might hold decodes without trouble.
    if (size >= 16) {
        RelayRegisters raw{};
        for (int i = 0; i < 6; ++i)
            raw[i] = uint16_t(data[4 + 2 * i] << 8 | data[5 + 2 * i]);
        const RelayView view = DecodeRelay(raw, ratios);
        Check(view.modeKnown || view.texts.mode.isEmpty());
        EncodeRelay(view.texts, ratios, QStringLiteral("继电器OUT2"));
        DecodeAnalog({raw[0], raw[1], raw[2]}, ratios);
        const auto pulse = EncodePulseField(DecodePulseRegister(raw[0]), QStringLiteral("脉冲"));
        Check(std::holds_alternative<uint16_t>(pulse) && std::get<uint16_t>(pulse) == (raw[0] & 0xFF));
    }
    return 0;
}
