// One request and what came back, as the link saw it. The link hands one to its
// observer (the line monitor) after every exchange; it changes nothing on the wire.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>

namespace rdlink {

struct ExchangeRecord {
    QDateTime sentAt;          // local time the request was put on the line
    QByteArray request;        // the request frame as sent
    bool replyRead = true;     // false: the sequence ends after the wait, nothing is read
    QByteArray received;       // every byte read after the wait, stray bytes included
    int expectedLength = 0;    // the reply length the request asks for (8 for a write)
    // Milliseconds from the request leaving to the last received byte, where the
    // link could see it; -1 when nothing arrived or the time is unknown.
    int replyElapsedMs = -1;
    bool portLost = false;     // the port closed (device gone) during the exchange
    // Modbus TCP: the ADU actually sent and every byte actually received; the
    // request and received above are then the RTU frames the port translated.
    // Both empty where the wire carries RTU frames.
    QByteArray mbapSent;
    QByteArray mbapReceived;
};

} // namespace rdlink

Q_DECLARE_METATYPE(rdlink::ExchangeRecord)
