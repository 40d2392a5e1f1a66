// A small corpus for the window tests, built with orvale-build:
//   slot 1 経部 / 2 詩経 / 3 巻一 (pages 1-3) / 4 巻二 (pages 1-3)
//          5 書経 / 6 巻一 (pages 5-254, 250 pages, each with 天 once)
//   slot 7 史部 / 8 史記 / 9 巻一 (pages 1-2)
// 明月 stands four times on page 1 of 詩経 巻一 (three in the main text,
// one in the annotation); 白雲 stands three times on page 1 of 詩経 巻二.
#pragma once

#include <QString>
#include <QStringList>

class QWebEnginePage;

namespace panel {
class CLeftForm;
}

namespace testing_gui {

// Points the settings store at folder/settings and names the application as
// the reader does, so that a test never touches the user's settings.
void UseTestSettings(const QString& folder);

// Types text into the form's keyword box on the 検索 tab, as an input method
// commits CJK text.
void TypeKeyword(panel::CLeftForm* form, const QString& text);

// Builds the corpus into folder with the orvale-build program at builder.
// Returns an empty string on success, else what went wrong.
QString BuildFixtureCorpus(const QString& builder, const QString& folder);

// One source line: a volume with its page objects ({"runs": [...]}).
QString Volume(const QString& category, const QString& title, const QString& volume, int firstPage,
               const QStringList& pages);

// The HTML the page shows now (empty when the view does not answer in 10 s).
QString PageHtml(QWebEnginePage* page);

// Builds the corpus of a JSON Lines source (one volume a line) into folder.
QString BuildCorpus(const QString& builder, const QString& folder, const QString& source);

}  // namespace testing_gui
