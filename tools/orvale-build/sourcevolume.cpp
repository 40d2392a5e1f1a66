#include "tools/orvale-build/sourcevolume.h"

#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>

#include "tools/orvale-build/utf8.h"

namespace build {
namespace {

using Json = nlohmann::json;

// A fault in the line; carries the one-line reason up to ParseSourceVolume.
struct LineFault {
    std::string reason;
};

constexpr char32_t kNoControl = 0xFFFFFFFF;

// The first C0 or C1 control character or DEL of a UTF-8 name, or kNoControl.
char32_t FirstControlCharacter(std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x20 || byte == 0x7F) return byte;
        // U+0080..U+009F are encoded as C2 80..C2 9F.
        if (byte == 0xC2 && i + 1 < name.size()) {
            const auto next = static_cast<unsigned char>(name[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return next;
        }
    }
    return kNoControl;
}

// The library's message without its "[json.exception.xxx.nnn] " tag.
std::string LibraryMessage(const char* text) {
    std::string what = text;
    if (const auto end = what.find("] "); what.starts_with("[") && end != std::string::npos) {
        what.erase(0, end + 2);
    }
    return what;
}

// Json or const Json.
template <typename J>
J& Field(J& object, const char* key, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end()) throw LineFault{where + "missing field \"" + key + "\""};
    return *it;
}

std::string StringField(const Json& value, const char* key, const std::string& where) {
    if (!value.is_string()) throw LineFault{where + "\"" + key + "\" must be a string"};
    return value.get<std::string>();
}

// The same, taking the text out of the parsed line instead of copying it.
std::string TakeStringField(Json& value, const char* key, const std::string& where) {
    if (!value.is_string()) throw LineFault{where + "\"" + key + "\" must be a string"};
    return std::move(value.get_ref<std::string&>());
}

std::string NameField(const Json& object, const char* key) {
    std::string name = StringField(Field(object, key, ""), key, "");
    // A name is one line of the catalogue listing and one label of the tree.
    if (const char32_t control = FirstControlCharacter(name); control != kNoControl) {
        char code[16];
        std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(control));
        throw LineFault{"\"" + std::string(key) + "\" holds the control character U+" + code +
                        "; names must not hold control characters"};
    }
    const std::size_t units = Utf16Length(name);
    if (units > kMaxNameUnits) {
        throw LineFault{"\"" + std::string(key) + "\" is " + std::to_string(units) +
                        " UTF-16 code units long; at most 99 are allowed"};
    }
    return name;
}

SourcePage ParsePage(Json& page, std::size_t index) {
    const std::string where = "page " + std::to_string(index + 1) + ": ";
    if (!page.is_object()) throw LineFault{where + "must be an object"};
    SourcePage result;
    if (const auto it = page.find("title"); it != page.end()) {
        result.title = StringField(*it, "title", where);
        result.hasTitle = true;
    }
    Json& runs = Field(page, "runs", where);
    if (!runs.is_array()) throw LineFault{where + "\"runs\" must be an array"};
    result.runs.reserve(runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        Json& run = runs[r];
        const std::string runWhere = where + "run " + std::to_string(r + 1) + ": ";
        SourceRun taken;
        if (run.is_string()) {
            taken.text = std::move(run.get_ref<std::string&>());
        } else if (run.is_object()) {
            taken.note = true;
            taken.text = TakeStringField(Field(run, "note", runWhere), "note", runWhere);
        } else {
            throw LineFault{runWhere + "must be a string or an object {\"note\": ...}"};
        }
        // An empty run adds nothing to the page or its index.
        if (!taken.text.empty()) result.runs.push_back(std::move(taken));
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
    // -0 is the number 0.
    if (!it->is_number_unsigned() && it->get<std::int64_t>() == 0) return 0;
    throw LineFault{"\"first_page\" is " + it->dump() + "; it must lie in 0..65535"};
}

// Takes the pages out of the line as the parser completes each one, so the
// parsed tree never holds more than one page however long the volume. Only
// the first fault among the pages is kept; ParseSourceVolume reports it
// after the checks of the volume's other fields, as if the pages came last.
class PageTaker {
  public:
    explicit PageTaker(std::vector<SourcePage>& pages) : m_pages(pages) {}

    bool operator()(int depth, Json::parse_event_t event, Json& parsed) {
        using Event = Json::parse_event_t;
        if (depth == 0 && event == Event::object_start) m_topObject = true;
        if (!m_topObject) return true;
        if (depth == 1) {
            if (event == Event::key) {
                m_pagesKey = parsed == "pages";
                // A later "pages" replaces an earlier one.
                if (m_pagesKey) Restart();
            } else if (event == Event::array_start) {
                m_inPages = m_pagesKey;
            } else if (event == Event::array_end) {
                m_inPages = false;
            }
            return true;
        }
        const bool page =
            event == Event::object_end || event == Event::array_end || event == Event::value;
        if (depth != 2 || !m_inPages || !page) return true;
        const std::size_t index = m_count++;
        if (!m_fault) {
            try {
                m_pages.push_back(ParsePage(parsed, index));
            } catch (LineFault& fault) {
                m_fault = std::move(fault);
                m_pages.clear();
            }
        }
        return false;  // out of the tree
    }

    std::size_t Count() const { return m_count; }
    const std::optional<LineFault>& Fault() const { return m_fault; }

  private:
    void Restart() {
        m_pages.clear();
        m_count = 0;
        m_fault.reset();
    }

    std::vector<SourcePage>& m_pages;
    std::size_t m_count = 0;
    std::optional<LineFault> m_fault;
    bool m_topObject = false;
    bool m_pagesKey = false;  // the top object's last key was "pages"
    bool m_inPages = false;
};

}  // namespace

bool ParseSourceVolume(std::string_view line, SourceVolume& volume, std::string& error) {
    Json object;
    std::vector<SourcePage> pages;
    PageTaker taker(pages);
    try {
        object = Json::parse(line, std::ref(taker));
    } catch (const Json::out_of_range& e) {
        // A number beyond what a double holds (1e400).
        error = "a number is out of range: " + LibraryMessage(e.what());
        return false;
    } catch (const Json::exception& e) {
        std::string what = LibraryMessage(e.what());
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
        if (!Field(object, "pages", "").is_array()) throw LineFault{"\"pages\" must be an array"};
        if (taker.Count() == 0) {
            throw LineFault{"\"pages\" is empty; a volume needs at least one page"};
        }
        const std::uint64_t lastPage = volume.firstPage + taker.Count() - 1;
        if (lastPage > kMaxPageNumber) {
            throw LineFault{"page numbers run from " + std::to_string(volume.firstPage) + " to " +
                            std::to_string(lastPage) + "; the last must not exceed " +
                            std::to_string(kMaxPageNumber)};
        }
        if (taker.Fault()) throw *taker.Fault();
        volume.pages = std::move(pages);
    } catch (const LineFault& fault) {
        error = fault.reason;
        return false;
    }
    return true;
}

}  // namespace build
