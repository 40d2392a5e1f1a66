// 結果を保存 and 出典をコピー: the result rows (with the first hit of each
// page in context) or the lines of a concordance written as UTF-8 TSV or
// CSV, and a citation of the page shown put on the clipboard. The file
// name is asked for with a save dialog (which warns before overwriting)
// unless one is given; a file that cannot be written is reported and
// nothing else changes.
#pragma once

#include <QString>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/concordance.h"
#include "panel/export.h"
#include "panel/resultrows.h"

class QWidget;

namespace panel {
class CLeftForm;
}

namespace shell {

using Notify = std::function<void(const QString&)>;

// The export rows of a concordance: one per line, named by its result row.
std::vector<panel::ExportRow> ConcordanceExportRows(std::span<const engine::KwicLine> lines,
                                                    std::span<const panel::SearchNodeTag> rows);

// Writes rows to path (asked for when empty) in the format its extension
// picks. False when nothing was written (cancelled, or an error, which is
// reported through notify).
bool SaveExport(QWidget* parent, const std::vector<panel::ExportRow>& rows, QString path,
                const Notify& notify);

// The form's result rows, each with the first hit of its page.
bool SaveResults(panel::CLeftForm& form, QWidget* parent, QString path, const Notify& notify);

// The citation of the page the form shows, with the current hit's context
// when a result page is shown; empty when no page is shown.
QString CitationOfShownPage(panel::CLeftForm& form);

}  // namespace shell
