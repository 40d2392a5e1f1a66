// The settings store seen as text: the values of one section read into a
// SettingsText ("Section/Entry" -> value) and such values written back. The
// plain classes that decide about settings (panel/sessionstate.h) read and
// write only this form.
#pragma once

#include <QString>

#include "panel/sessionstate.h"

class QSettings;

namespace shell {

// Every entry of section, keyed "section/entry".
panel::SettingsText ReadSettingsSection(QSettings& settings, const QString& section);
// Writes every value and flushes; failures are ignored.
void WriteSettingsText(QSettings& settings, const panel::SettingsText& values);

}  // namespace shell
