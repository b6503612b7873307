// Renders the main window offscreen after one poll tick against a register map and
// saves it as PNG: a quick look at the layout without a display or an instrument.
// Usage: meter_panel_shot OUT.png [SETTINGS.png [NOTES.png]]; RD_SHOT_AVAILABLE=WxH for a
// screen with that available area, RD_SHOT_END=1 scrolled to the strip,
// RD_SHOT_SILENT=1 after three ticks without an answer.
#include "FakeSerialPort.h"
#include "RegisterBytes.h"
#include "meter/dialogs/CommSetDlg.h"
#include "meter/app/MeterApp.h"
#include "meter/mainwnd/HelpDlg.h"
#include "ScriptedPrompter.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CMeterApp::ApplyDialogColours(app);
    CMeterApp::ApplyDialogFont(app);

    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port(clock);
    rdtest::MeterRegisters meter;
    const uint16_t base[4] = {0x00, 0x08, 0x10, 0x18};
    for (int g = 0; g < 4; ++g) {
        meter.regs[base[g]] = uint16_t(2201 + 3 * g);
        meter.regs[base[g] + 1] = uint16_t(3812 + 2 * g);
        meter.regs[base[g] + 2] = uint16_t(5120 + 40 * g);
        meter.regs[base[g] + 4] = uint16_t(1080 + 7 * g);
        meter.regs[base[g] + 5] = uint16_t(955 + g);
        meter.regs[base[g] + 6] = uint16_t(int16_t(-310 - g));
        meter.regs[base[g] + 7] = uint16_t(1131 + 5 * g);
    }
    meter.regs[0x1B] = 4998;
    meter.regs[0x20] = 0x2105;
    meter.regs[0x21] = 0x5A10; meter.regs[0x22] = 0x0001;
    meter.regs[0x23] = 120;
    meter.regs[0x25] = 3400;
    meter.regs[0x27] = 15;
    meter.regs[0x0100] = 0x0015;
    meter.regs[0x0300] = 1;
    meter.regs[0x0306] = 80;
    meter.regs[0x0307] = 1;
    meter.regs[0x0308] = 1;
    for (int i = 0; i < 12; ++i)
        meter.regs[uint16_t(0x0760 + i)] = uint16_t(i % 2 ? 100 * i + 7 : 0);
    for (int j = 0; j < 18; ++j)
        meter.regs[uint16_t(0x020C + j)] = uint16_t(j % 2 ? 420 / (j + 2) : 180 / (j + 2));
    port.responder = [&](const QByteArray &request) {
        return std::vector<rdtest::Chunk>{{meter.Answer(request), 10}};
    };

    ScriptedPrompter prompter;
    CMeterDlg window(port, clock, prompter);
    window.setLineSettings(9600, rdlink::Parity::None, 1);
    window.OnInitDialog();
    window.waitForLine();
    window.panel().slaveAddress->setText(QStringLiteral("1"));
    window.panel().runStop->click();
    window.waitForLine();
    window.onPollTick();
    window.waitForLine();
    // RD_SHOT_SILENT=1: then three ticks without an answer ("地址 1 无应答").
    if (qEnvironmentVariableIntValue("RD_SHOT_SILENT")) {
        port.responder = nullptr;
        for (int i = 0; i < 3; ++i) {
            window.onPollTick();
            window.waitForLine();
        }
    }
    window.show();
    // RD_SHOT_AVAILABLE=1366x728: as on a screen with that available area.
    const QStringList available = qEnvironmentVariable("RD_SHOT_AVAILABLE").split(QLatin1Char('x'));
    if (available.size() == 2)
        window.fitToScreen(QRect(0, 0, available[0].toInt(), available[1].toInt()));
    // RD_SHOT_END=1: scrolled to the end of the page, where the strip is.
    QApplication::processEvents();
    if (qEnvironmentVariableIntValue("RD_SHOT_END") && window.scrollArea())
        window.scrollArea()->ensureWidgetVisible(window.extras().monitorButton());
    QApplication::processEvents();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("meter.png");
    bool saved = window.grab().save(out);
    if (argc > 2) {
        CCommSetDlg settings;
        settings.m_commPort = 1;
        settings.loadFields();
        settings.show();
        saved = settings.grab().save(QString::fromLocal8Bit(argv[2])) && saved;
    }
    if (argc > 3) {
        CHelpDlg notes;
        notes.show();
        saved = notes.grab().save(QString::fromLocal8Bit(argv[3])) && saved;
    }
    return saved ? 0 : 1;
}
