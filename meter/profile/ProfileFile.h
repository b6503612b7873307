// The profile file: JSON, UTF-8, keys sorted, values as the dialogs show them
// (README.md, "Settings profiles", has an example). Reading checks every value
// with the rules of its dialog; a file with a bad value is refused with one
// message naming the field, before anything could be sent.
#pragma once

#include "Profile.h"

#include <QByteArray>
#include <QString>

#include <variant>

namespace rdprof {

constexpr int kFormatVersion = 1;

QByteArray ProfileJson(const Profile &profile);
// The profile, or the message that refuses the file.
std::variant<Profile, QString> ParseProfile(const QByteArray &json);

// The same for a file on disk; the message names the file when it cannot be read.
std::variant<Profile, QString> LoadProfile(const QString &path);
// Writes the file whole (a temporary file renamed over it); the reason on failure.
std::optional<QString> SaveProfile(const Profile &profile, const QString &path);

} // namespace rdprof
