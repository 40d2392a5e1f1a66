#include "shell/settingstext.h"

#include <QSettings>

namespace shell {

panel::SettingsText ReadSettingsSection(QSettings& settings, const QString& section) {
    panel::SettingsText values;
    settings.beginGroup(section);
    for (const QString& entry : settings.childKeys()) {
        values[(section + QLatin1Char('/') + entry).toStdString()] =
            settings.value(entry).toString().toStdString();
    }
    settings.endGroup();
    return values;
}

void WriteSettingsText(QSettings& settings, const panel::SettingsText& values) {
    for (const auto& [key, value] : values) {
        settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    }
    settings.sync();
}

}  // namespace shell
