#include "shell/currenthit.h"

#include <QRegularExpression>

namespace shell {

QString CurrentHitStyle() {
    return QStringLiteral("b.%1{color:#FFFFFF !important;background:#C00000 !important;}")
        .arg(QString::fromLatin1(kCurrentHitClass));
}

QString CurrentHitScript(const QString& anchor) {
    static const QRegularExpression kDigits(QStringLiteral("^[0-9]{1,10}$"));
    const QString name = kDigits.match(anchor).hasMatch() ? anchor : QString();
    return QStringLiteral(R"JS((function () {
  var cls = '%1', name = '%2', d = document;
  if (!d.getElementById('orvale-current-hit-style')) {
    var s = d.createElement('style');
    s.id = 'orvale-current-hit-style';
    s.textContent = '%3';
    (d.head || d.documentElement).appendChild(s);
  }
  var old = d.querySelectorAll('b.' + cls);
  for (var i = 0; i < old.length; i++) old[i].classList.remove(cls);
  if (!name) return 0;
  var a = d.getElementsByName(name)[0];
  if (!a) return 0;
  var isMark = function (e) {
    return e.tagName === 'B' && (e.getAttribute('style') || '').indexOf('color:red') === 0;
  };
  var count = 0;
  if (a.parentElement && isMark(a.parentElement)) {
    a.parentElement.classList.add(cls);
    count++;
  }
  var w = d.createTreeWalker(d.body || d.documentElement, NodeFilter.SHOW_ELEMENT);
  w.currentNode = a;
  for (var e = w.nextNode(), n = 0; e && n < 500; e = w.nextNode(), n++) {
    if (e.tagName === 'A' && /^[0-9]{4,}$/.test(e.getAttribute('name') || '')) break;
    if (isMark(e)) { e.classList.add(cls); count++; }
  }
  return count;
})())JS")
        .arg(QString::fromLatin1(kCurrentHitClass), name, CurrentHitStyle());
}

}  // namespace shell
