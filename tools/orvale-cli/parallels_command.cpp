#include "tools/orvale-cli/parallels_command.h"

#include <nlohmann/json.hpp>
#include <vector>

#include "engine/parallelsearch.h"
#include "panel/recordnames.h"
#include "tools/orvale-build/utf8.h"
#include "tools/orvale-cli/rows_command.h"

namespace cli {
namespace {

nlohmann::ordered_json TextJson(const engine::SharedText& text) {
    return {{"before", text.before}, {"shared", text.shared}, {"after", text.after}};
}

}  // namespace

int RunParallels(const std::string& dataDir, const ParallelsRequest& request, std::ostream& out,
                 std::ostream& err) {
    engine::CIndex index;
    if (!index.Load(dataDir, "Index", engine::Full)) {
        err << "データを開けませんでした。" << std::endl;
        return 1;
    }
    engine::ParallelPassage passage;
    if (request.record) {
        if (*request.record >= index.PageStore().RecordCount() ||
            !engine::PassageFromRecord(index, *request.record, request.variants, passage)) {
            err << "orvale-cli: page record " << *request.record << " cannot be read" << std::endl;
            return 1;
        }
    } else {
        std::u16string text;
        if (!build::Utf8ToUtf16(request.text.value_or(""), text)) {
            err << "orvale-cli: the text is not valid UTF-8" << std::endl;
            return 2;
        }
        passage = engine::PassageFromText(index, text, request.variants);
    }
    engine::ParallelOptions options;
    options.minRun = request.minRun;
    const engine::ParallelReport report = engine::RunParallelSearch(index, passage, options);
    if (report.status != engine::ParallelsStatus::Ok) {
        err << engine::ParallelsStatusMessage(report.status) << std::endl;
        return 2;
    }

    panel::Catalogue catalogue;
    catalogue.LoadCatalogue(dataDir, "");
    std::vector<std::uint32_t> records;
    for (const engine::ParallelRow& row : report.rows) records.push_back(row.record);
    const std::vector<panel::SearchNodeTag> names = panel::NameRecords(catalogue, records);

    if (request.json) {
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        for (std::size_t k = 0; k < report.rows.size(); ++k) {
            const engine::ParallelRow& row = report.rows[k];
            rows.push_back({{"category", names[k].category},
                            {"title", names[k].title},
                            {"volume", names[k].volume},
                            {"page", names[k].page},
                            {"record", row.record},
                            {"longest", row.longest},
                            {"runs", row.runCount},
                            {"text", row.pageText.shared},
                            {"page_text", TextJson(row.pageText)},
                            {"passage_text", TextJson(row.passageText)}});
        }
        nlohmann::ordered_json formulas = nlohmann::ordered_json::array();
        for (const engine::FormulaRow& formula : report.formulas) {
            formulas.push_back({{"text", formula.text.shared},
                                {"length", formula.length},
                                {"pages", formula.pageCount}});
        }
        const nlohmann::ordered_json document = {{"pages", report.rows.size()},
                                                 {"rows", std::move(rows)},
                                                 {"formulas", std::move(formulas)}};
        out << document.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << "\n";
    } else {
        std::string text;
        for (std::size_t k = 0; k < report.rows.size(); ++k) {
            const engine::ParallelRow& row = report.rows[k];
            text += TabField(names[k].category) + '\t' + TabField(names[k].title) + '\t' +
                    TabField(names[k].volume) + '\t' + std::to_string(names[k].page) + '\t' +
                    std::to_string(row.record) + '\t' + std::to_string(row.longest) + '\t' +
                    std::to_string(row.runCount) + '\t' + TabField(row.pageText.shared) + '\n';
        }
        out << text;
        for (const engine::FormulaRow& formula : report.formulas) {
            err << "定型句「" << formula.text.shared << "」（" << formula.length << "字）は "
                << formula.pageCount << " 頁にあります。"
                << "\n";
        }
    }
    out.flush();
    err << "全部で " << report.rows.size() << " 頁でした。" << std::endl;
    if (report.damaged)
        err << "索引の一部が壊れているため、結果が欠けている可能性があります。" << std::endl;
    return 0;
}

}  // namespace cli
