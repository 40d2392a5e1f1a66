// Qt's own dialogs (print, page setup, print preview, the buttons of message
// boxes) speak Japanese like the rest of the interface: the Japanese
// catalogues of Qt (qtbase_ja.qm, qt_ja.qm from the system's translations
// folder) are installed at start, whatever the locale.
#pragma once

class QCoreApplication;

namespace shell {

// Installs the catalogues found in the system's translations folder; they
// belong to app. Returns how many were installed (0 when the folder holds
// none: Qt's dialogs then stay in English).
int InstallQtTranslations(QCoreApplication& app);

}  // namespace shell
