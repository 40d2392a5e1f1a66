#include "shell/localpages.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

namespace shell {

namespace {

class LocalOnlyInterceptor : public QWebEngineUrlRequestInterceptor {
  public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString scheme = info.requestUrl().scheme();
        if (scheme != QLatin1String("file") && scheme != QLatin1String("about") &&
            scheme != QLatin1String("data") && scheme != QLatin1String("qrc")) {
            info.block(true);
        }
    }
};

}  // namespace

QWebEnginePage* MakeLocalOnlyPage(QObject* parent) {
    auto* profile = new QWebEngineProfile;
    profile->setUrlRequestInterceptor(new LocalOnlyInterceptor(profile));
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    auto* page = new QWebEnginePage(profile, parent);
    profile->setParent(page);
    QWebEngineSettings* s = page->settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    return page;
}

}  // namespace shell
