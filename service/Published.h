// The quantities the service publishes, taken from the recording's table
// (meter/recording/Quantities.h) so that MQTT, Prometheus and the CSV files
// carry the same values: each with a key for JSON, its Home Assistant entity
// and its Prometheus metric. The three-phase column is named for what it is:
// a mean for voltages and currents (`voltage_avg`), a sum for powers
// (`power_sum`), the overall power factor (`power_factor_overall`).
#pragma once

#include "meter/recording/Quantities.h"

#include <QString>
#include <vector>

namespace rdsvc {

struct Published {
    const rdrec::Quantity *quantity;   // unit and value (QuantityValue)
    QString key;                       // "voltage_a": the JSON key
    QString oldKey;                    // the key of earlier releases, still in the JSON; empty when the same
    QString name;                      // Home Assistant's name, in words of the Quantities table (DisplayWords)
    QString component;                 // "sensor" or "binary_sensor" (DI/DO)
    QString unit;                      // for Home Assistant; empty for PF, DI/DO, counters
    QString deviceClass;               // Home Assistant's, empty when none fits
    QString stateClass;                // "measurement", "total_increasing"; empty for binary sensors
    bool diagnostic = false;           // entity_category diagnostic: the link's figures, the counters
    bool enabledByDefault = true;      // false for the less used quantities (per-phase reactive, ...)
    QString metric;                    // "rd5800_phase_voltage_volts"; empty: not exported
    QString labelName;                 // "phase", "line", "direction", "input", "output"
    QString labelValue;                // "A"
    QString metricType;                // "gauge" or "counter"
    QString metricHelp;                // its HELP line (the exposition is English, as its names)
    double metricScale = 1.0;          // unit of the metric per unit of the quantity
};

const std::vector<Published> &PublishedQuantities();

} // namespace rdsvc
