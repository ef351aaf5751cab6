#include "platform/networkmanager/NmProfile.h"
#include "tests/fuzz/FuzzInput.h"

using namespace telmaq;
using namespace telmaq::nm;

namespace {

// The settings a profile might carry: each text of the input names a setting, a key and a
// value in turn. A setting's value is kept as text, as a number, as raw bytes, or as a map
// of strings (a VPN's data and secrets) by the first byte of the value.
NmSettings settingsFrom(const std::vector<std::string>& parts)
{
    NmSettings settings;
    for (std::size_t i = 0; i + 2 < parts.size(); i += 3) {
        const QString setting = QString::fromUtf8(parts[i].data(), static_cast<int>(parts[i].size()));
        const QString key = QString::fromUtf8(parts[i + 1].data(), static_cast<int>(parts[i + 1].size()));
        const std::string& raw = parts[i + 2];
        const QByteArray bytes =
            raw.empty() ? QByteArray() : QByteArray(raw.data() + 1, static_cast<int>(raw.size() - 1));
        QVariant value;
        switch (raw.empty() ? 0 : raw[0] % 4) {
        case 0:
            value = QString::fromUtf8(bytes);
            break;
        case 1:
            value = bytes.size();
            break;
        case 2:
            value = bytes;
            break;
        default: {
            QVariantMap map;
            for (const QByteArray& pair : bytes.split(',')) {
                const int equals = pair.indexOf('=');
                map.insert(QString::fromUtf8(pair.left(equals)), QString::fromUtf8(pair.mid(equals + 1)));
            }
            value = map;
        }
        }
        settings[setting].insert(key, value);
    }
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const NmSettings settings = settingsFrom(fuzz::splitAtZeros(data, size));
    const std::optional<NmProfile> profile = dialupProfileFrom(QStringLiteral("/profile"), settings);
    if (!profile)
        return 0;
    // A profile offered as an entry has a name that fits every record and the default entry.
    const QByteArray id = profile->id.toUtf8();
    fuzz::require(!id.isEmpty() && id.size() <= 255 && !id.contains('\0'));
    passwordFromSecrets(*profile, settings);
    rasDeviceType(profile->kind);
    return 0;
}
