#include "CommandExchange.h"

#include "CommandRules.h"

bool WriteSettingRegister(rdlink::Link &link, uint8_t address, uint16_t reg, uint16_t value)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::BusyWait;
    options.waitMs = rdcmd::kSettingsWaitMs;
    return link.Exchange(rdlink::BuildWrite(address, reg, value), options).ok();
}
