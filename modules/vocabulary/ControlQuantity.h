// The control quantities a relay or an analog output follows, the relay modes, and
// the scale factors of each kind of quantity. Selections are turned into codes by
// comparing their text with these tables exactly; list positions are never used as
// codes, because list position and code differ from the fourth entry on.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace rdmod {

enum class Kind { Voltage, Current, ActivePower, ReactivePower, ApparentPower, PowerFactor, Frequency };

struct ControlQuantity {
    const char *text;   // UTF-8 list text, also the key of a selection
    int code;           // relay mode code; the analog output code is code - 1
    Kind kind;
};

constexpr int kQuantityCount = 29;

// The 29 quantities in list order.
const std::array<ControlQuantity, kQuantityCount> &ControlQuantities();
QStringList QuantityTexts();

std::optional<ControlQuantity> FindQuantityByText(const QString &text);
std::optional<ControlQuantity> FindQuantityByCode(int code);

// Value in display units x base factor = register units (before ratio scaling);
// register x reading factor = display units. The reading factor is the exact
// reciprocal as a double constant (0.1, 0.001, 1.0, 0.01).
int BaseFactor(Kind kind);
double ReadingFactor(Kind kind);

// Whether the registers of a kind hold two's complement values (powers that can be
// negative and the power factor) or unsigned ones.
bool ReadsSigned(Kind kind);

// Relay mode codes beside the 29 quantities.
constexpr int kModeReleased = 0;     // "复归(断开)"
constexpr int kModeMinPower = 33;    // "Min(P1,P2,P3)", kind active power
constexpr int kModeOperated = 255;   // "动作(闭合)"

struct RelayMode {
    QString text;
    int code = 0;
    // The kind of the followed quantity; empty for the two fixed states.
    std::optional<Kind> kind;
};

constexpr int kRelayModeCount = 32;

// "复归(断开)", the 29 quantities in list order, "Min(P1,P2,P3)", "动作(闭合)".
QStringList RelayModeTexts();
std::optional<RelayMode> FindRelayModeByText(const QString &text);
// Looks up the low byte of a mode register; the high byte never counts.
std::optional<RelayMode> FindRelayModeByRegister(uint16_t reg);

// Analog output quantity codes: the relay code minus 1 (3, 11, 19 and 32 up unused).
std::optional<ControlQuantity> FindQuantityByAnalogCode(int code);
inline int AnalogCode(const ControlQuantity &q) { return q.code - 1; }

} // namespace rdmod
