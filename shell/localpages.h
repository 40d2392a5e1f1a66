// The web pages of the reader (the page view and the help window) load local
// content only: file:, about:, data: and qrc: URLs; any other request is
// blocked, so nothing reaches the network. JavaScript and plugins are off and
// the browsing profile lives in memory only.
#pragma once

class QObject;
class QWebEnginePage;

namespace shell {

// A page with its own off-the-record profile. The profile belongs to the
// page, so the page always goes first, as the engine requires.
QWebEnginePage* MakeLocalOnlyPage(QObject* parent);

}  // namespace shell
