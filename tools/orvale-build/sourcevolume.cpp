#include "tools/orvale-build/sourcevolume.h"

#include <nlohmann/json.hpp>

#include "tools/orvale-build/utf8.h"

namespace build {
namespace {

using Json = nlohmann::json;

// A fault in the line; carries the one-line reason up to ParseSourceVolume.
struct LineFault {
    std::string reason;
};

const Json& Field(const Json& object, const char* key, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end()) throw LineFault{where + "missing field \"" + key + "\""};
    return *it;
}

std::string StringField(const Json& value, const char* key, const std::string& where) {
    if (!value.is_string()) throw LineFault{where + "\"" + key + "\" must be a string"};
    return value.get<std::string>();
}

std::string NameField(const Json& object, const char* key) {
    std::string name = StringField(Field(object, key, ""), key, "");
    if (name.find('\0') != std::string::npos) {
        throw LineFault{"\"" + std::string(key) + "\" holds the character U+0000"};
    }
    const std::size_t units = Utf16Length(name);
    if (units > kMaxNameUnits) {
        throw LineFault{"\"" + std::string(key) + "\" is " + std::to_string(units) +
                        " UTF-16 code units long; at most 99 are allowed"};
    }
    return name;
}

SourcePage ParsePage(const Json& page, std::size_t index) {
    const std::string where = "page " + std::to_string(index + 1) + ": ";
    if (!page.is_object()) throw LineFault{where + "must be an object"};
    SourcePage result;
    if (const auto it = page.find("title"); it != page.end()) {
        result.title = StringField(*it, "title", where);
        result.hasTitle = true;
    }
    const Json& runs = Field(page, "runs", where);
    if (!runs.is_array()) throw LineFault{where + "\"runs\" must be an array"};
    result.runs.reserve(runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Json& run = runs[r];
        const std::string runWhere = where + "run " + std::to_string(r + 1) + ": ";
        if (run.is_string()) {
            result.runs.push_back({false, run.get<std::string>()});
        } else if (run.is_object()) {
            result.runs.push_back(
                {true, StringField(Field(run, "note", runWhere), "note", runWhere)});
        } else {
            throw LineFault{runWhere + "must be a string or an object {\"note\": ...}"};
        }
    }
    return result;
}

std::uint32_t FirstPage(const Json& object) {
    const auto it = object.find("first_page");
    if (it == object.end()) return 1;
    if (!it->is_number_integer()) throw LineFault{"\"first_page\" must be an integer"};
    if (it->is_number_unsigned() && it->get<std::uint64_t>() <= kMaxFirstPageNumber) {
        return static_cast<std::uint32_t>(it->get<std::uint64_t>());
    }
    throw LineFault{"\"first_page\" is " + it->dump() + "; it must lie in 0..65535"};
}

}  // namespace

bool ParseSourceVolume(std::string_view line, SourceVolume& volume, std::string& error) {
    Json object;
    try {
        object = Json::parse(line);
    } catch (const Json::parse_error& e) {
        std::string what = e.what();
        // Drop the library's "[json.exception.parse_error.101] " tag.
        if (const auto end = what.find("] "); what.starts_with("[") && end != std::string::npos) {
            what.erase(0, end + 2);
        }
        // The source line is the whole document here; its "line 1" says nothing.
        if (const auto at = what.find("at line 1, "); at != std::string::npos) {
            what.erase(at + 3, 8);
        }
        error = "malformed JSON: " + what;
        return false;
    }
    try {
        if (!object.is_object()) throw LineFault{"a line must hold one JSON object"};
        volume.category = NameField(object, "category");
        volume.title = NameField(object, "title");
        volume.volume = NameField(object, "volume");
        volume.firstPage = FirstPage(object);
        const Json& pages = Field(object, "pages", "");
        if (!pages.is_array()) throw LineFault{"\"pages\" must be an array"};
        if (pages.empty()) throw LineFault{"\"pages\" is empty; a volume needs at least one page"};
        const std::uint64_t lastPage = volume.firstPage + pages.size() - 1;
        if (lastPage > kMaxPageNumber) {
            throw LineFault{"page numbers run from " + std::to_string(volume.firstPage) + " to " +
                            std::to_string(lastPage) + "; the last must not exceed " +
                            std::to_string(kMaxPageNumber)};
        }
        volume.pages.clear();
        volume.pages.reserve(pages.size());
        for (std::size_t i = 0; i < pages.size(); ++i)
            volume.pages.push_back(ParsePage(pages[i], i));
    } catch (const LineFault& fault) {
        error = fault.reason;
        return false;
    }
    return true;
}

}  // namespace build
