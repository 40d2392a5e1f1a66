#include "panel/export.h"

namespace panel {

namespace {

void AppendField(std::string_view field, char separator, std::string& out) {
    const bool quote = field.find_first_of(std::string{separator} + "\"\r\n") != std::string::npos;
    if (!quote) {
        out.append(field);
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

ExportFormat ExportFormatOf(std::string_view fileName) {
    if (fileName.size() < 4) return ExportFormat::Tsv;
    std::string ext(fileName.substr(fileName.size() - 4));
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".csv" ? ExportFormat::Csv : ExportFormat::Tsv;
}

std::string ExportText(std::span<const ExportRow> rows, ExportFormat format) {
    const char separator = format == ExportFormat::Csv ? ',' : '\t';
    std::string out;
    const auto line = [&out, separator](std::initializer_list<std::string_view> fields) {
        bool first = true;
        for (const std::string_view field : fields) {
            if (!first) out += separator;
            first = false;
            AppendField(field, separator, out);
        }
        out += '\n';
    };
    line({"類別", "書名", "巻", "頁", "記録", "箇所", "左文脈", "検索語", "右文脈"});
    for (const ExportRow& row : rows) {
        const std::string page = std::to_string(row.page);
        const std::string record = std::to_string(row.record);
        const std::string hits = std::to_string(row.hits);
        line({row.category, row.title, row.volume, page, record, hits, row.left, row.hit,
              row.right});
    }
    return out;
}

std::vector<std::vector<std::string>> ParseExport(std::string_view text, ExportFormat format) {
    const char separator = format == ExportFormat::Csv ? ',' : '\t';
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        any = true;
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"' && field.empty()) {
            quoted = true;
        } else if (c == separator) {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            fields.push_back(std::move(field));
            field.clear();
            lines.push_back(std::move(fields));
            fields.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any) {
        fields.push_back(std::move(field));
        lines.push_back(std::move(fields));
    }
    return lines;
}

std::string CitationText(const std::string& category, const std::string& title,
                         const std::string& volume, std::int32_t page, std::string_view left,
                         std::string_view hit, std::string_view right) {
    std::string out;
    for (const std::string* name : {&category, &title, &volume}) {
        if (name->empty()) continue;
        if (!out.empty()) out += "・";
        out += *name;
    }
    if (page > 0) {
        if (!out.empty()) out += "・";
        out += std::to_string(page) + "頁";
    }
    if (!hit.empty()) {
        out += "「";
        out.append(left);
        out.append(hit);
        out.append(right);
        out += "」";
    }
    return out;
}

}  // namespace panel
