#include "shell/resultexport.h"

#include <QApplication>
#include <QFileDialog>
#include <QSaveFile>
#include <QStandardPaths>
#include <unordered_map>

#include "panel/leftform.h"

namespace shell {

namespace {

// The names of the page of record, as a result row gives them.
panel::SearchNodeTag RowOfRecord(const panel::Catalogue& catalogue, std::uint32_t record) {
    std::vector<panel::SearchNodeTag> rows;
    const std::uint32_t records[] = {record};
    const std::uint32_t hits[] = {0};
    for (const auto& category : catalogue.RootNode().children) {
        panel::BuildRows(category.get(), records, hits, rows);
        if (!rows.empty()) return rows.front();
    }
    panel::SearchNodeTag none;
    none.recordIndex = static_cast<std::int32_t>(record);
    return none;
}

}  // namespace

std::vector<panel::ExportRow> ConcordanceExportRows(std::span<const engine::KwicLine> lines,
                                                    std::span<const panel::SearchNodeTag> rows) {
    std::unordered_map<std::uint32_t, const panel::SearchNodeTag*> rowOf;
    for (const panel::SearchNodeTag& row : rows)
        rowOf.emplace(static_cast<std::uint32_t>(row.recordIndex), &row);
    std::vector<panel::ExportRow> out;
    out.reserve(lines.size());
    for (const engine::KwicLine& line : lines) {
        panel::ExportRow e;
        if (const auto it = rowOf.find(line.record); it != rowOf.end()) {
            e.category = it->second->category;
            e.title = it->second->title;
            e.volume = it->second->volume;
            e.page = it->second->page;
            e.hits = it->second->hits;
        }
        e.record = static_cast<std::int32_t>(line.record);
        e.left = pages::ToUtf8(line.left);
        e.hit = pages::ToUtf8(line.hit);
        e.right = pages::ToUtf8(line.right);
        out.push_back(std::move(e));
    }
    return out;
}

bool SaveExport(QWidget* parent, const std::vector<panel::ExportRow>& rows, QString path,
                const Notify& notify) {
    if (path.isEmpty()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        path = QFileDialog::getSaveFileName(
            parent, QStringLiteral("結果を保存"), folder + QStringLiteral("/結果.tsv"),
            QStringLiteral("タブ区切り (*.tsv *.txt);;CSV (*.csv);;すべてのファイル (*)"));
        if (path.isEmpty()) return false;
    }
    const std::string text = panel::ExportText(rows, panel::ExportFormatOf(path.toStdString()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        if (notify) {
            notify(QStringLiteral("保存できませんでした。\n%1\n%2").arg(path, file.errorString()));
        }
        return false;
    }
    return true;
}

bool SaveResults(panel::CLeftForm& form, QWidget* parent, QString path, const Notify& notify) {
    const std::vector<panel::SearchNodeTag>& rows = form.Rows();
    std::vector<panel::ExportRow> out;
    out.reserve(rows.size());
    const engine::KwicQuery query(form.Keyword(), form.Variants(), form.Index().VariantGroups());
    std::vector<engine::KwicLine> lines;
    pages::LayerText text;
    std::vector<engine::HitSpan> hits;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (const panel::SearchNodeTag& row : rows) {
        panel::ExportRow e{row.category, row.title, row.volume, row.page, row.recordIndex,
                           row.hits,     {},        {},         {}};
        lines.clear();
        engine::AppendPageLines(form.Index().PageStore(),
                                static_cast<std::uint32_t>(row.recordIndex), query,
                                form.TextLayer(), engine::kDefaultKwicWidth, lines, text, hits);
        if (!lines.empty()) {
            e.left = pages::ToUtf8(lines.front().left);
            e.hit = pages::ToUtf8(lines.front().hit);
            e.right = pages::ToUtf8(lines.front().right);
        }
        out.push_back(std::move(e));
    }
    QApplication::restoreOverrideCursor();
    return SaveExport(parent, out, std::move(path), notify);
}

QString CitationOfShownPage(panel::CLeftForm& form) {
    const panel::CPageDisplay& display = form.PageDisplay();
    if (display.ShownRecord() < 0) return {};
    const auto record = static_cast<std::uint32_t>(display.ShownRecord());
    const panel::SearchNodeTag row = RowOfRecord(form.GetCatalogue(), record);
    std::string left;
    std::string hit;
    std::string right;
    if (display.ShownAsResult() && display.HitCount() > 0) {
        const engine::KwicQuery query(form.Keyword(), form.Variants(),
                                      form.Index().VariantGroups());
        std::vector<engine::KwicLine> lines;
        pages::LayerText text;
        std::vector<engine::HitSpan> hits;
        engine::AppendPageLines(form.Index().PageStore(), record, query, form.TextLayer(),
                                panel::kCitationContext, lines, text, hits);
        const auto current = static_cast<std::size_t>(display.CurrentHit());
        if (current < lines.size()) {
            left = pages::ToUtf8(lines[current].left);
            hit = pages::ToUtf8(lines[current].hit);
            right = pages::ToUtf8(lines[current].right);
        }
    }
    return QString::fromStdString(
        panel::CitationText(row.category, row.title, row.volume, row.page, left, hit, right));
}

}  // namespace shell
