// Not a test: fills a history with eight hours of made-up readings, drives the
// recording controls and the trend window with them, and renders the window to
// PNG for a look at the layout. Usage: trend_shot OUT.png [range 0|1|2]
#include "SyntheticReading.h"
#include "meter/recording/Quantities.h"
#include "meter/recording/RecordingControls.h"
#include "meter/trends/TrendDlg.h"

#include <QApplication>
#include <QFont>
#include <QPixmap>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 9));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("trend-window.png");
    const int range = argc > 2 ? std::atoi(argv[2]) : TrendDlg::kEightHours;

    rdrec::RecordingControls controls;
    const QDateTime start = QDateTime::currentDateTime().addSecs(-8 * 3600);
    for (int i = 0; i < 72000 - 10; ++i)
        controls.onReading(rdtest::SyntheticReading(start.addMSecs(qint64(i) * 400), i * 0.4));

    TrendDlg dlg(controls.history());
    QObject::connect(&controls, &rdrec::RecordingControls::readingAdded, &dlg, &TrendDlg::addReading);
    dlg.setCurve(1, 9);    // A相 相电流 (A)
    dlg.setCurve(2, 1);    // A相 相电压 (V)
    dlg.setCurve(3, 29);   // 正向有功电能 (kWh)
    dlg.setRange(TrendDlg::Range(range));
    dlg.show();
    for (int i = 72000 - 10; i < 72000; ++i)
        controls.onReading(rdtest::SyntheticReading(start.addMSecs(qint64(i) * 400), i * 0.4));
    QApplication::processEvents();
    const bool ok = dlg.grab().save(out);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(out));
    return ok ? 0 : 1;
}
