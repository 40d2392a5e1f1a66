// The HTML a web page holds now, for the window tests: waits up to ten
// seconds for the page's answer; empty when none came.
#pragma once

#include <QString>
#include <QTest>
#include <QWebEnginePage>

namespace testing_gui {

inline QString Html(QWebEnginePage* page) {
    QString html;
    bool done = false;
    page->toHtml([&](const QString& result) {
        html = result;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) return {};
    return html;
}

}  // namespace testing_gui
