// Test doubles for the configuration commands: a main window that only records
// what the commands do to it, and an instrument that answers on the fake port.
// Everything that happens (timers, dialogs, frames on the line, messages) lands
// in one event list so that tests can check the order of the steps.
#pragma once

#include "tests/support/FakeClock.h"
#include "tests/support/FakeSerialPort.h"
#include "link/Exchange.h"
#include "meter/app/Prompter.h"
#include "meter/commands/CommandHost.h"

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <map>
#include <set>

namespace cmdtest {

// CRC-16/MODBUS computed bit by bit, independent of the link's table version:
// the two bytes to append to a frame, low byte first.
inline QByteArray Crc(const QByteArray &bytes)
{
    uint16_t crc = 0xFFFF;
    for (char ch : bytes) {
        crc ^= static_cast<uint8_t>(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    QByteArray out;
    out.append(static_cast<char>(crc & 0xFF));
    out.append(static_cast<char>(crc >> 8));
    return out;
}

// A whole frame from its bytes before the CRC, given as hex ("01 06 03 07 FA 00").
inline QByteArray Frame(const char *hexWithoutCrc)
{
    const QByteArray body = QByteArray::fromHex(QByteArray(hexWithoutCrc).replace(' ', ""));
    return body + Crc(body);
}

inline QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// A Modbus slave on the fake line: echoes writes, answers reads from its
// registers, keeps silent towards other addresses. A new slave address takes
// effect after its echo, as on the instrument.
struct FakeInstrument {
    bool connected = true;
    uint8_t address = 1;
    std::map<uint16_t, uint16_t> registers;
    std::set<uint16_t> refusedWrites;   // writes to these registers get no echo
    uint32_t replyDelayMs = 20;

    std::vector<rdtest::Chunk> answer(const QByteArray &request)
    {
        if (!connected || request.size() != 8 || static_cast<uint8_t>(request[0]) != address)
            return {};
        const uint8_t function = static_cast<uint8_t>(request[1]);
        const uint16_t reg = static_cast<uint16_t>(static_cast<uint8_t>(request[2]) << 8 | static_cast<uint8_t>(request[3]));
        const uint16_t value = static_cast<uint16_t>(static_cast<uint8_t>(request[4]) << 8 | static_cast<uint8_t>(request[5]));
        if (function == 6) {
            if (refusedWrites.count(reg))
                return {};
            registers[reg] = value;
            if (reg == 0x0300)
                address = static_cast<uint8_t>(value);
            return {{request, replyDelayMs}};
        }
        if (function == 3) {
            QByteArray reply;
            reply.append(static_cast<char>(request[0]));
            reply.append(static_cast<char>(3));
            reply.append(static_cast<char>(2 * value));
            for (uint16_t i = 0; i < value; ++i) {
                const uint16_t r = registers[static_cast<uint16_t>(reg + i)];
                reply.append(static_cast<char>(r >> 8));
                reply.append(static_cast<char>(r & 0xFF));
            }
            return {{reply + Crc(reply), replyDelayMs}};
        }
        return {};
    }
};

// Records every command's effect on the window. reloadFields behaves as the main
// window's: the slave address edit goes into the state when it holds 0..255.
class FakeCommandHost : public CommandHost {
public:
    FakeCommandHost() : port(clock), m_link(port, clock)
    {
        port.responder = [this](const QByteArray &request) {
            events << QStringLiteral("tx %1").arg(Hex(request));
            return instrument.answer(request);
        };
        scripted.answer = [this](QDialog &dialog) {
            events << QStringLiteral("dialog");
            return answer ? answer(dialog) : int(QDialog::Rejected);
        };
        rdlink::OpenPort(port, m.commPort, m.portSettings);
    }

    // What the user does in the next modal dialog (Rejected when unset).
    std::function<int(QDialog &)> answer;

    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port;
    FakeInstrument instrument;
    ScriptedPrompter scripted;
    MeterState m = [] {
        MeterState s;
        s.slaveAddress = 1;
        s.portSettings = QStringLiteral("9600,N,8,1");
        return s;
    }();

    QStringList events;
    bool timer1 = false;
    bool timer2 = false;
    QString statusText = QStringLiteral("(status)");
    QString addressText = QStringLiteral("1");
    QString pulseText = QStringLiteral("1");
    bool pulseEditing = false;
    int reloads = 0;
    int reopens = 0;

    // Frames written, in hex, in order.
    QStringList sent() const
    {
        QStringList out;
        for (const QByteArray &f : port.written)
            out << Hex(f);
        return out;
    }
    // Messages shown, in order.
    QStringList messages() const
    {
        QStringList out;
        for (const QString &t : scripted.messages)
            out << t;
        return out;
    }

    // CommandHost
    MeterState &state() override { return m; }
    rdlink::Link &link() override { return m_link; }
    Prompter &prompter() override { return scripted; }
    QWidget *dialogParent() override { return nullptr; }
    void startTimer1() override { timer1 = true; events << QStringLiteral("start1"); }
    void stopTimer1() override { timer1 = false; events << QStringLiteral("stop1"); }
    void startTimer2() override { timer2 = true; events << QStringLiteral("start2"); }
    void stopTimer2() override { timer2 = false; events << QStringLiteral("stop2"); }
    void reloadFields(bool) override
    {
        ++reloads;
        bool ok = false;
        const uint value = addressText.toUInt(&ok);
        if (ok && value <= 255)
            m.slaveAddress = static_cast<uint8_t>(value);
    }
    void setStatusText(const QString &text) override { statusText = text; }
    void setAddressText(const QString &text) override { addressText = text; }
    QString pulseWidthText() override { return pulseText; }
    void setPulseEditing(bool editing) override { pulseEditing = editing; }
    bool reopenPort() override
    {
        ++reopens;
        events << QStringLiteral("reopen %1 %2").arg(m.commPort).arg(m.portSettings);
        rdlink::ClosePortIfOpen(port);
        if (rdlink::OpenPort(port, m.commPort, m.portSettings))
            return true;
        scripted.message(nullptr, QStringLiteral("open failed"));
        return false;
    }

private:
    rdlink::Link m_link;
};

} // namespace cmdtest
