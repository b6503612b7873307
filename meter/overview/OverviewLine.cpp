#include "OverviewLine.h"

#include "meter/acquisition/LocalNow.h"
#include "meter/acquisition/RegisterValues.h"

namespace rdov {

namespace {

struct Read {
    rdlink::ExchangeResult result;
    bool complete = false;   // the reply holds every register asked for
};

Read ReadBlock(rdlink::Link &link, uint8_t address, uint16_t reg, uint16_t count)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;   // a late reply to the last request is not this one's
    options.endOnReply = true;
    Read read;
    read.result = link.Exchange(rdlink::BuildRead(address, reg, count), options);
    read.complete = read.result.ok() && read.result.dataLength() >= 2 * count;
    return read;
}

MeterStatus StatusOf(const rdlink::ExchangeResult &r)
{
    switch (r.status) {
    case rdlink::ExchangeStatus::Reply:
        return MeterStatus::Ok;
    case rdlink::ExchangeStatus::NoValidFrame:
        return MeterStatus::Fault;
    default:
        return MeterStatus::NoReply;
    }
}

} // namespace

ProbeResult ProbeAddress(rdlink::Link &link, uint8_t address)
{
    ProbeResult probe;
    probe.address = address;
    const Read read = ReadBlock(link, address, rdacq::kDeviceInfoRegister, rdacq::kDeviceInfoCount);
    probe.portLost = read.result.status == rdlink::ExchangeStatus::PortLost;
    if (read.complete)
        probe.info = rdacq::DecodeDeviceInfo(rdacq::Registers(read.result.data(), size_t(read.result.dataLength())));
    return probe;
}

RefreshResult RefreshMeter(rdlink::Link &link, uint8_t address, const std::optional<rdacq::DeviceInfo> &known)
{
    RefreshResult out;
    out.address = address;
    std::optional<rdacq::DeviceInfo> info = known;
    if (!info) {
        const Read read = ReadBlock(link, address, rdacq::kDeviceInfoRegister, rdacq::kDeviceInfoCount);
        ++out.requests;
        out.portLost = read.result.status == rdlink::ExchangeStatus::PortLost;
        if (!read.complete) {
            out.status = read.result.ok() ? MeterStatus::Fault : StatusOf(read.result);
            return out;
        }
        ++out.replies;
        out.replyTime = rdacq::LocalNow();
        info = rdacq::DecodeDeviceInfo(rdacq::Registers(read.result.data(), size_t(read.result.dataLength())));
        out.info = info;
    }
    const Read read = ReadBlock(link, address, rdacq::kMeasurementRegister, rdacq::kMeasurementCount);
    ++out.requests;
    out.portLost = read.result.status == rdlink::ExchangeStatus::PortLost;
    if (!read.complete) {
        out.status = read.result.ok() ? MeterStatus::Fault : StatusOf(read.result);
        return out;
    }
    ++out.replies;
    out.replyTime = rdacq::LocalNow();
    out.status = MeterStatus::Ok;
    out.values = rdacq::DecodeMeasurements(rdacq::Registers(read.result.data(), size_t(read.result.dataLength())),
                                           info->ptRatio, info->ctRatio);
    return out;
}

} // namespace rdov
