#include "tests/gui/fixturecorpus.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <QTest>
#include <QWebEnginePage>

#include "panel/leftform.h"
#include "shell/htmlctrl.h"
#include "shell/messageboxes.h"

namespace testing_gui {

namespace {

QString Page(const QString& text, const QString& note = {}) {
    QString runs = QStringLiteral("\"%1\"").arg(text);
    if (!note.isEmpty()) runs += QStringLiteral(",{\"note\":\"%1\"}").arg(note);
    return QStringLiteral("{\"runs\":[%1]}").arg(runs);
}

}  // namespace

QString Volume(const QString& category, const QString& title, const QString& volume, int firstPage,
               const QStringList& pages) {
    return QStringLiteral(
               "{\"category\":\"%1\",\"title\":\"%2\",\"volume\":\"%3\",\"first_page\":%4,"
               "\"pages\":[%5]}\n")
        .arg(category, title, volume)
        .arg(firstPage)
        .arg(pages.join(QLatin1Char(',')));
}

QString PageHtml(QWebEnginePage* page) {
    QString html;
    bool done = false;
    page->toHtml([&](const QString& result) {
        html = result;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) return {};
    return html;
}

QString BuildFixtureCorpus(const QString& builder, const QString& folder) {
    QStringList many;
    const QString digits = QStringLiteral("一二三四五六七八九十");
    for (int i = 0; i < 250; ++i) many << Page(QStringLiteral("天命之謂性") + digits[i % 10]);
    const QString source =
        Volume(
            QStringLiteral("経部"), QStringLiteral("詩経"), QStringLiteral("巻一"), 1,
            {Page(QStringLiteral("明月明月明月照高樓"), QStringLiteral("明月注")),
             Page(QStringLiteral("關關雎鳩在河之洲")), Page(QStringLiteral("窈窕淑女君子好逑"))}) +
        Volume(
            QStringLiteral("経部"), QStringLiteral("詩経"), QStringLiteral("巻二"), 1,
            {Page(QStringLiteral("白雲白雲白雲去不返")), Page(QStringLiteral("求之不得寤寐思服")),
             Page(QStringLiteral("悠哉悠哉輾轉反側"))}) +
        Volume(QStringLiteral("経部"), QStringLiteral("書経"), QStringLiteral("巻一"), 5, many) +
        Volume(QStringLiteral("史部"), QStringLiteral("史記"), QStringLiteral("巻一"), 1,
               {Page(QStringLiteral("黄帝者少典之子")), Page(QStringLiteral("姓公孫名曰軒轅"))});
    return BuildCorpus(builder, folder, source);
}

QString BuildCorpus(const QString& builder, const QString& folder, const QString& source) {
    const QString sourcePath = folder + QStringLiteral(".jsonl");
    QFile file(sourcePath);
    if (!file.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write ") + sourcePath;
    file.write(source.toUtf8());
    file.close();
    QProcess build;
    build.start(builder, {sourcePath, folder});
    if (!build.waitForFinished(60000) || build.exitCode() != 0) {
        return QStringLiteral("orvale-build failed: ") +
               QString::fromUtf8(build.readAllStandardError());
    }
    return {};
}

void UseTestSettings(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QDir(folder).filePath(QStringLiteral("settings")));
    QCoreApplication::setOrganizationName(shell::kOrganisationName);
    QCoreApplication::setApplicationName(shell::kApplicationName);
}

void TypeKeyword(panel::CLeftForm* form, const QString& text) {
    form->SelectTab(1);
    QLineEdit* field = form->KeywordBox()->Field();
    field->clear();
    field->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

}  // namespace testing_gui
