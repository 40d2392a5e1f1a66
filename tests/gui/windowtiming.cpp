// orvale_window_timing --data DIR: how long the reader window takes to open
// (frame built, shown and its blank page loaded; no splash) and how long a
// search for the most frequent of a few common characters takes from the
// Enter key to the filled result list, in the first catalogue entry and in
// the catalogue entry with the most pages. Not a test: it prints numbers.
#include <QApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <memory>
#include <string>

#include "panel/leftform.h"
#include "panel/sortlistctrl.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/voraview.h"

namespace {

void Type(panel::CLeftForm* form, const QString& keyword) {
    QLineEdit* field = form->KeywordBox()->Field();
    field->clear();
    QInputMethodEvent commit;
    commit.setCommitString(keyword);
    QApplication::sendEvent(field, &commit);
}

void ClickSearch(panel::CLeftForm* form, const QString& keyword) {
    Type(form, keyword);
    QTest::mouseClick(form->Control(panel::kIdcSearch), Qt::LeftButton);
}

// Enter searches only while the list holds at most one result page, so the
// list is first emptied by a search without hits.
double TimedSearch(panel::CLeftForm* form, const QString& keyword) {
    ClickSearch(form, QStringLiteral("\u9f98\u9f98\u9f98"));
    Type(form, keyword);
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(form->KeywordBox()->Field(), Qt::Key_Return);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QString dataDir;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--data")) dataDir = args[i + 1];
    }
    if (dataDir.isEmpty()) {
        std::fprintf(stderr, "usage: orvale_window_timing --data DIR\n");
        return 2;
    }
    QTemporaryDir scratch;
    shell::CMessageBoxes boxes([](QWidget*, const QString&, const QString& text) {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    });
    shell::FrameConfig config;
    config.dataDir = dataDir.toStdString();
    config.programDir = scratch.path();
    config.tempRoot = scratch.path();
    config.listingPath = scratch.filePath("kvt.txt").toStdString();
    config.allowSplash = false;

    QElapsedTimer open;
    open.start();
    auto frame = std::make_unique<shell::CMainFrame>(config, boxes);
    frame->resize(1400, 900);
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get()) ||
        !QTest::qWaitFor([&] { return frame->GetRightPane()->url().toString() == "about:blank"; },
                         20000)) {
        std::fprintf(stderr, "the window did not open\n");
        return 1;
    }
    std::printf("window open: %.0f ms\n", static_cast<double>(open.nsecsElapsed()) / 1e6);

    panel::CLeftForm* form = frame->LeftForm();
    form->SelectTab(1);
    QString best;
    std::size_t bestPlaces = 0;
    for (const QChar c : QStringLiteral("之不人一而以其也為無有子")) {
        ClickSearch(form, QString(c));
        std::size_t places = 0;
        for (const auto& row : form->Rows()) places += static_cast<std::size_t>(row.hits);
        if (places > bestPlaces) {
            bestPlaces = places;
            best = QString(c);
        }
    }
    // The catalogue entry with the most pages.
    int widest = 1;
    const panel::Catalogue& catalogue = form->GetCatalogue();
    for (int slot = 1; slot < catalogue.RecordCount(); ++slot) {
        if (catalogue.NodeItem(slot).DocNo() > catalogue.NodeItem(widest).DocNo()) widest = slot;
    }
    for (int scope : {1, widest}) {
        form->Position().scopeEntry = static_cast<std::uint16_t>(scope);
        double fastest = 1e9;
        for (int run = 0; run < 5; ++run) fastest = std::min(fastest, TimedSearch(form, best));
        std::printf("search %s in %s (%zu rows, %d listed): best of 5 %.1f ms\n",
                    best.toUtf8().constData(), catalogue.TreePath(scope).c_str(),
                    form->Rows().size(), form->ResultList()->topLevelItemCount(), fastest);
    }
    frame->close();
    return 0;
}
