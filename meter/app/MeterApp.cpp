#include "MeterApp.h"

#include "meter/dialogs/CommSetDlg.h"
#include "common/widgets/Prompter.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPalette>

bool CMeterApp::InitInstance()
{
    // Qt hosts the serial port and the chart itself, so there is no control file
    // to register from the current directory; colours come first, then the
    // settings dialog and the main window, in that order.
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        ApplyDialogColours(*app);
        ApplyDialogFont(*app);
    }

    StartSettings chosen = m_preset;
    if (!m_acceptAtOnce) {
        CCommSetDlg settings;
        settings.setPrompter(&m_prompter);
        settings.m_baudRate = m_preset.baudRate;
        settings.m_parity = m_preset.parity;
        settings.m_commPort = m_preset.commPort;
        settings.loadFields();
        if (m_prompter.exec(settings) != QDialog::Accepted)
            return false;   // no port has been opened
        chosen.baudRate = settings.m_baudRate;
        chosen.parity = settings.m_parity;
        chosen.commPort = settings.m_commPort;
    }
    m_mainWindowShown = true;
    m_runMainWindow(chosen);
    return false;
}

void CMeterApp::ApplyDialogColours(QApplication &app)
{
    QPalette palette = app.palette();
    const QColor background(181, 240, 249);
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Button, background);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    // A disabled control still looks disabled: its text is grey, not black.
    const QColor disabledText(128, 128, 128);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(QPalette::Disabled, role, disabledText);
    app.setPalette(palette);
}

void CMeterApp::ApplyDialogFont(QApplication &app)
{
    QFont font = app.font();
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(9);
    app.setFont(font);
}
