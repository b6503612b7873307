#include "ProfileFile.h"

#include "ProfileSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

namespace rdprof {

namespace {


const char *const kRelayKeys[6] = {"mode", "operate", "reset", "operate_delay", "reset_delay", "pulse_width"};
const char *const kRelayNames[2] = {"OUT1", "OUT2"};
const char *const kOutputNames[2] = {"output_1", "output_2"};

QJsonObject RelayJson(const rdmod::RelayTexts &t)
{
    QJsonObject o;
    o.insert(QStringLiteral("mode"), t.mode);
    o.insert(QStringLiteral("operate"), t.operate);
    o.insert(QStringLiteral("reset"), t.reset);
    // The delays and the pulse width are whole numbers; written as numbers when they are.
    const QString whole[3] = {t.operateDelay, t.resetDelay, t.pulseWidth};
    for (int k = 0; k < 3; ++k) {
        bool ok = false;
        const int n = whole[k].toInt(&ok);
        o.insert(QLatin1String(kRelayKeys[3 + k]), ok ? QJsonValue(n) : QJsonValue(whole[k]));
    }
    return o;
}

QJsonValue WholeOrText(const QString &text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? QJsonValue(n) : QJsonValue(text);
}

// A module field as the text a window's edit would hold: strings as they stand,
// numbers in full precision, anything else empty (refused by the field's check).
QString FieldText(const QJsonValue &v)
{
    if (v.isString())
        return v.toString();
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 17);
    }
    return QString();
}

struct Reader {
    QString error;   // the first refusal

    bool fail(const QString &field, const QString &problem)
    {
        if (error.isEmpty())
            error = rdmod::FieldErrorMessage(rdmod::FieldError{field, QString(), problem});
        return false;
    }

    // A whole number: a JSON number without fraction, or a text of digits.
    bool whole(const QJsonObject &o, const char *key, const QString &field, long min, long max, long *out)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fail(field, QCoreApplication::translate("Profile", "文件中缺少此项 (\"%1\")").arg(QLatin1String(key)));
        long n = 0;
        bool ok = false;
        if (v.isDouble()) {
            const double d = v.toDouble();
            ok = d == std::floor(d) && d >= double(min) && d <= double(max);
            n = long(d);
        } else if (v.isString()) {
            const QString t = v.toString().trimmed();
            n = t.toLong(&ok);
            ok = ok && !t.startsWith(QLatin1Char('+')) && n >= min && n <= max;
        }
        if (!ok)
            return fail(field, QCoreApplication::translate("Profile", "只接受 %1 至 %2 之间的整数").arg(min).arg(max));
        *out = n;
        return true;
    }

    bool text(const QJsonObject &o, const char *key, const QString &field, QString *out)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isString())
            return fail(field, v.isUndefined() ? QCoreApplication::translate("Profile", "文件中缺少此项 (\"%1\")").arg(QLatin1String(key))
                                               : QCoreApplication::translate("Profile", "只接受文字 (\"%1\")").arg(QLatin1String(key)));
        *out = v.toString();
        return true;
    }

    bool onlyKeys(const QJsonObject &o, const QStringList &known, const QString &where)
    {
        for (const QString &key : o.keys())
            if (!known.contains(key))
                return fail(where, QCoreApplication::translate("Profile", "未知的项 \"%1\"").arg(key));
        return true;
    }
};

} // namespace

QByteArray ProfileJson(const Profile &p)
{
    QJsonObject root;
    root.insert(QStringLiteral("format"), QStringLiteral("rd5800-profile"));
    root.insert(QStringLiteral("version"), kFormatVersion);
    root.insert(QStringLiteral("baud_rate"), p.baudRate);
    root.insert(QStringLiteral("parity"), ParityText(p.parity));
    root.insert(QStringLiteral("address"), p.address);
    root.insert(QStringLiteral("pt"), qint64(p.pt));
    root.insert(QStringLiteral("ct"), qint64(p.ct));
    const QStringList wiring = WiringTexts();
    root.insert(QStringLiteral("wiring"), p.wiring >= 0 && p.wiring < wiring.size() ? QJsonValue(wiring.at(p.wiring))
                                                                                     : QJsonValue(p.wiring));
    root.insert(QStringLiteral("pulse_width_ms"), p.pulseWidth);

    QJsonObject modules;
    for (int m = 0; m < kRelayModules; ++m) {
        if (const auto &module = p.relayModules[size_t(m)]) {
            QJsonObject o;
            for (int r = 0; r < 2; ++r)
                o.insert(QLatin1String(kRelayNames[r]), RelayJson(module->relays[size_t(r)]));
            modules.insert(RelayModuleName(m), o);
        }
    }
    for (int m = 0; m < kAnalogModules; ++m) {
        if (const auto &module = p.analogModules[size_t(m)]) {
            QJsonObject o;
            for (int k = 0; k < 2; ++k) {
                const rdmod::AnalogTexts &t = module->outputs[size_t(k)];
                QJsonObject out;
                out.insert(QStringLiteral("quantity"), t.quantity);
                out.insert(QStringLiteral("4mA"), t.at4mA);
                out.insert(QStringLiteral("20mA"), t.at20mA);
                o.insert(QLatin1String(kOutputNames[k]), out);
            }
            modules.insert(AnalogModuleName(m), o);
        }
    }
    if (p.pulseModule) {
        QJsonObject o;
        o.insert(QStringLiteral("value"), WholeOrText(p.pulseModule->value));
        o.insert(QStringLiteral("width"), WholeOrText(p.pulseModule->width));
        modules.insert(PulseModuleName(), o);
    }
    root.insert(QStringLiteral("modules"), modules);

    QJsonObject meter;
    meter.insert(QStringLiteral("accuracy"), p.info.accuracy);
    meter.insert(QStringLiteral("modules"), QJsonArray::fromStringList(p.info.modules));
    root.insert(QStringLiteral("meter"), meter);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::variant<Profile, QString> ParseProfile(const QByteArray &json)
{
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull() || !doc.isObject())
        return QCoreApplication::translate("Profile", "配置文件不是有效的 JSON: %1 (第 %2 个字节)。\n参数未发送。")
            .arg(doc.isNull() ? parseError.errorString() : QCoreApplication::translate("Profile", "最外层不是对象"))
            .arg(parseError.offset);
    const QJsonObject root = doc.object();
    Reader in;
    Profile p;
    if (root.value(QStringLiteral("format")).toString() != QStringLiteral("rd5800-profile"))
        return QCoreApplication::translate("Profile", "这不是 RD5800 的配置文件 (缺少 \"format\": \"rd5800-profile\")。\n参数未发送。");
    long n = 0;
    if (!in.whole(root, "version", QStringLiteral("version"), kFormatVersion, kFormatVersion, &n))
        return in.error;
    if (!in.onlyKeys(root, {"format", "version", "baud_rate", "parity", "address", "pt", "ct", "wiring",
                            "pulse_width_ms", "modules", "meter"},
                     QCoreApplication::translate("Profile", "配置文件")))
        return in.error;

    QString text;
    if (!in.whole(root, "baud_rate", BaudRateName(), 1200, 19200, &n))
        return in.error;
    p.baudRate = int(n);
    if (!in.text(root, "parity", ParityName(), &text))
        return in.error;
    const auto parity = ParityFromText(text);
    if (!parity)
        return rdmod::FieldErrorMessage({ParityName(), QCoreApplication::translate("Profile", "无校验, 奇校验 或 偶校验"), QString()});
    p.parity = *parity;
    if (!in.whole(root, "address", AddressName(), 1, 247, &n))
        return in.error;
    p.address = int(n);
    if (!in.whole(root, "pt", PtName(), 1, 64000, &n))
        return in.error;
    p.pt = uint32_t(n);
    if (!in.whole(root, "ct", CtName(), 1, 64000, &n))
        return in.error;
    p.ct = uint32_t(n);
    if (!in.text(root, "wiring", WiringName(), &text))
        return in.error;
    p.wiring = int(WiringTexts().indexOf(text));
    if (p.wiring < 0)
        return rdmod::FieldErrorMessage({WiringName(), WiringTexts().join(QStringLiteral(", ")) + QCoreApplication::translate("Profile", " 之一"), QString()});
    if (!in.whole(root, "pulse_width_ms", PulseWidthName(), 0, 255, &n))
        return in.error;
    p.pulseWidth = int(n);

    const QJsonObject modules = root.value(QStringLiteral("modules")).toObject();
    QStringList known;
    for (int m = 0; m < kRelayModules; ++m) {
        known << RelayModuleName(m);
        const QJsonValue v = modules.value(RelayModuleName(m));
        if (v.isUndefined())
            continue;
        const QJsonObject o = v.toObject();
        if (!in.onlyKeys(o, {"OUT1", "OUT2"}, RelayModuleName(m)))
            return in.error;
        RelayModule module;
        for (int r = 0; r < 2; ++r) {
            const QJsonObject relay = o.value(QLatin1String(kRelayNames[r])).toObject();
            rdmod::RelayTexts &t = module.relays[size_t(r)];
            QString *fields[6] = {&t.mode, &t.operate, &t.reset, &t.operateDelay, &t.resetDelay, &t.pulseWidth};
            for (int k = 0; k < 6; ++k)
                *fields[k] = FieldText(relay.value(QLatin1String(kRelayKeys[k])));
        }
        p.relayModules[size_t(m)] = module;
    }
    for (int m = 0; m < kAnalogModules; ++m) {
        known << AnalogModuleName(m);
        const QJsonValue v = modules.value(AnalogModuleName(m));
        if (v.isUndefined())
            continue;
        const QJsonObject o = v.toObject();
        if (!in.onlyKeys(o, {"output_1", "output_2"}, AnalogModuleName(m)))
            return in.error;
        AnalogModule module;
        for (int k = 0; k < 2; ++k) {
            const QJsonObject out = o.value(QLatin1String(kOutputNames[k])).toObject();
            rdmod::AnalogTexts &t = module.outputs[size_t(k)];
            t.quantity = FieldText(out.value(QStringLiteral("quantity")));
            t.at4mA = FieldText(out.value(QStringLiteral("4mA")));
            t.at20mA = FieldText(out.value(QStringLiteral("20mA")));
        }
        p.analogModules[size_t(m)] = module;
    }
    known << PulseModuleName();
    const QJsonValue pulse = modules.value(PulseModuleName());
    if (!pulse.isUndefined()) {
        const QJsonObject o = pulse.toObject();
        p.pulseModule = PulseModule{FieldText(o.value(QStringLiteral("value"))), FieldText(o.value(QStringLiteral("width")))};
    }
    if (!in.onlyKeys(modules, known, QCoreApplication::translate("Profile", "模块")))
        return in.error;

    const QJsonObject meter = root.value(QStringLiteral("meter")).toObject();
    p.info.accuracy = meter.value(QStringLiteral("accuracy")).toString();
    for (const QJsonValue &m : meter.value(QStringLiteral("modules")).toArray())
        p.info.modules << m.toString();

    // Every module value with the rules of its window (and the profile's ratios).
    const auto encoded = EncodeProfile(p);
    if (const auto *error = std::get_if<rdmod::FieldError>(&encoded))
        return rdmod::FieldErrorMessage(*error);
    return p;
}

std::variant<Profile, QString> LoadProfile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("Profile", "无法读取配置文件 %1: %2").arg(path, file.errorString());
    // A profile is a few kilobytes; anything far larger is not one.
    const QByteArray bytes = file.read(1 << 20);
    return ParseProfile(bytes);
}

std::optional<QString> SaveProfile(const Profile &profile, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ProfileJson(profile)) < 0 || !file.commit())
        return QCoreApplication::translate("Profile", "无法保存配置文件 %1: %2").arg(path, file.errorString());
    return std::nullopt;
}

} // namespace rdprof
