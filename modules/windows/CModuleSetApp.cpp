#include "CModuleSetApp.h"

#include "CModuleSetDlg.h"
#include "link/QtSerialPort.h"
#include "meter/app/Prompter.h"

namespace rdmod {

int CModuleSetApp::Run()
{
    QtPrompter prompter(QStringLiteral("nolvex"));
    ModuleContext context{[] { return std::make_unique<rdlink::QtSerialPort>(); }, rdlink::SystemClock(),
                          prompter};
    CModuleSetDlg dialog(context);
    dialog.show();
    dialog.OnInitDialog();
    dialog.exec();
    return 0;
}

} // namespace rdmod
