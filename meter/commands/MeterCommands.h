// The configuration commands of the main window: line settings ("通讯设置"),
// PT/CT/wiring ("仪表设置"), slave address change and search, pulse width.
// Each one stops the poll timer, asks the user through the Prompter, writes into
// the instrument through the host's link and restarts polling as its rules say.
#pragma once

#include "CommandHost.h"

class MeterCommands {
public:
    explicit MeterCommands(CommandHost &host) : m_host(host) {}

    void OnCommSettings();     // button 1004 "通讯设置"
    void OnMeterSettings();    // button 1006 "仪表设置"
    void OnChangeAddress();    // button 1007 "更改子机地址"
    void OnStartSearch();      // button 1062 "轮询地址"
    void OnSearchTick();       // one tick of timer 2: probes the next address
    void ProbeAddress(int address);
    void OnPulseModify();      // button 1070 "修改"
    void OnPulseWrite();       // button 1071 "写入"

private:
    CommandHost &m_host;
};
