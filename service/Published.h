// The quantities the service publishes, taken from the recording's table
// (meter/recording/Quantities.h) so that MQTT, Prometheus and the CSV files
// carry the same values: each with a key for JSON, its Home Assistant classes
// and its Prometheus metric.
#pragma once

#include "meter/recording/Quantities.h"

#include <QString>
#include <vector>

namespace rdsvc {

struct Published {
    const rdrec::Quantity *quantity;   // name, unit and value (QuantityValue)
    QString key;                       // "voltage_a": the JSON key
    QString unit;                      // for Home Assistant; empty for PF, DI/DO, counters
    QString deviceClass;               // Home Assistant's, empty when none fits
    bool totalIncreasing;              // the energies
    QString metric;                    // "rd5800_phase_voltage_volts"; empty: not exported
    QString labelName;                 // "phase", "direction", "input", "output"
    QString labelValue;                // "A"
    QString metricType;                // "gauge" or "counter"
    QString metricHelp;                // its HELP line (the exposition is English, as its names)
    double metricScale;                // unit of the metric per unit of the quantity
};

const std::vector<Published> &PublishedQuantities();

} // namespace rdsvc
