#include "shell/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace shell {

int InstallQtTranslations(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    int installed = 0;
    for (const char* name : {"qtbase_ja", "qt_ja"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(name), folder) &&
            QCoreApplication::installTranslator(translator)) {
            ++installed;
        } else {
            delete translator;
        }
    }
    return installed;
}

}  // namespace shell
