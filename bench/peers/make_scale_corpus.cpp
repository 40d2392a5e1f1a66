// make_scale_corpus: writes a large synthetic corpus source (JSON Lines, the
// input of orvale-build) whose text follows the statistics of a real one.
//
//   make_scale_corpus TRAINING.jsonl OUT.jsonl [--scale S] [--seed N]
//
// A character-level Markov model of order 2 is trained on TRAINING.jsonl,
// one model for the main text and one for the annotations, with every
// character kept (punctuation and paragraph breaks included) so that the
// share of unindexed characters and their places are realistic. At scale 1
// the output holds about 800 million indexed characters on about two million
// pages in six categories, 1,000 titles and 8,000 volumes; about a fifth of
// the text lies in annotation runs. The output depends only on the training
// text, the scale and the seed, and is streamed: only the model is in memory.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/indexcode.h"

namespace {

// xoshiro256** seeded by splitmix64: fast and the same on every platform.
class Random {
  public:
    explicit Random(std::uint64_t seed) {
        for (auto& s : m_s) {
            seed += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            s = z ^ (z >> 31);
        }
    }
    std::uint64_t Next() {
        const std::uint64_t result = Rotl(m_s[1] * 5, 7) * 9;
        const std::uint64_t t = m_s[1] << 17;
        m_s[2] ^= m_s[0];
        m_s[3] ^= m_s[1];
        m_s[1] ^= m_s[2];
        m_s[0] ^= m_s[3];
        m_s[2] ^= t;
        m_s[3] = Rotl(m_s[3], 45);
        return result;
    }
    // Uniform in [0, n).
    std::uint32_t Below(std::uint32_t n) {
        return static_cast<std::uint32_t>(((Next() >> 32) * n) >> 32);
    }
    std::uint32_t Between(std::uint32_t lo, std::uint32_t hi) { return lo + Below(hi - lo + 1); }

  private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_s[4];
};

std::u32string DecodeUtf8(const std::string& s) {
    std::u32string out;
    out.reserve(s.size() / 3 + 1);
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0;
        int n = 0;
        if (b < 0x80) {
            cp = b;
            n = 1;
        } else if ((b >> 5) == 6) {
            cp = b & 0x1F;
            n = 2;
        } else if ((b >> 4) == 14) {
            cp = b & 0x0F;
            n = 3;
        } else {
            cp = b & 0x07;
            n = 4;
        }
        for (int k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// A JSON string literal body: quotes, backslashes and control characters
// escaped, everything else as UTF-8.
void AppendJsonChar(std::string& out, char32_t cp) {
    if (cp == '"' || cp == '\\') {
        out.push_back('\\');
        out.push_back(static_cast<char>(cp));
    } else if (cp == '\n') {
        out += "\\n";
    } else if (cp < 0x20) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
        out += buf;
    } else {
        AppendUtf8(out, cp);
    }
}

// Order-2 character model: for every pair of preceding characters the
// observed next characters with cumulative counts. Pairs never followed by
// anything fall back to the order-1 model, then to the character counts.
class MarkovModel {
  public:
    void Train(const std::u32string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char32_t c = text[i];
            ++m_unigram[c];
            if (i >= 1) ++m_order1[text[i - 1]][c];
            if (i >= 2) ++m_order2[Key(text[i - 2], text[i - 1])][c];
        }
        m_trainedChars += text.size();
    }

    void Freeze() {
        for (auto& [key, next] : m_order2) m_table2.emplace(key, MakeTable(next));
        for (auto& [key, next] : m_order1) m_table1.emplace(key, MakeTable(next));
        m_table0 = MakeTable(m_unigram);
        m_order2.clear();
        m_order1.clear();
    }

    std::size_t TrainedChars() const { return m_trainedChars; }
    std::size_t Contexts() const { return m_table2.size(); }

    char32_t Next(char32_t a, char32_t b, Random& random) const {
        if (auto it = m_table2.find(Key(a, b)); it != m_table2.end())
            return Draw(it->second, random);
        if (auto it = m_table1.find(b); it != m_table1.end()) return Draw(it->second, random);
        return Draw(m_table0, random);
    }

    // A context drawn from the character counts, to start a run.
    char32_t Any(Random& random) const { return Draw(m_table0, random); }

  private:
    struct Table {
        std::vector<char32_t> chars;
        std::vector<std::uint32_t> cumulative;  // running totals, last = sum
    };

    static std::uint64_t Key(char32_t a, char32_t b) { return (std::uint64_t{a} << 32) | b; }

    static Table MakeTable(const std::unordered_map<char32_t, std::uint32_t>& counts) {
        std::vector<std::pair<char32_t, std::uint32_t>> sorted(counts.begin(), counts.end());
        // Sorted for determinism (hash order may differ between builds) and
        // most frequent first so the search below ends early.
        std::sort(sorted.begin(), sorted.end(), [](const auto& x, const auto& y) {
            return x.second != y.second ? x.second > y.second : x.first < y.first;
        });
        Table table;
        std::uint32_t total = 0;
        for (const auto& [c, n] : sorted) {
            total += n;
            table.chars.push_back(c);
            table.cumulative.push_back(total);
        }
        return table;
    }

    static char32_t Draw(const Table& table, Random& random) {
        const std::uint32_t r = random.Below(table.cumulative.back());
        if (table.chars.size() <= 8) {
            std::size_t i = 0;
            while (table.cumulative[i] <= r) ++i;
            return table.chars[i];
        }
        const auto it = std::upper_bound(table.cumulative.begin(), table.cumulative.end(), r);
        return table.chars[static_cast<std::size_t>(it - table.cumulative.begin())];
    }

    std::unordered_map<std::uint64_t, std::unordered_map<char32_t, std::uint32_t>> m_order2;
    std::unordered_map<char32_t, std::unordered_map<char32_t, std::uint32_t>> m_order1;
    std::unordered_map<char32_t, std::uint32_t> m_unigram;
    std::unordered_map<std::uint64_t, Table> m_table2;
    std::unordered_map<char32_t, Table> m_table1;
    Table m_table0;
    std::size_t m_trainedChars = 0;
};

// Writes a run drawn from model until it holds `indexed` indexed characters;
// context carries over from run to run of the same layer.
struct RunWriter {
    const MarkovModel& model;
    char32_t a = 0;
    char32_t b = 0;

    void Write(std::string& out, std::uint32_t indexed, Random& random) {
        out.push_back('"');
        while (indexed > 0) {
            const char32_t c = model.Next(a, b, random);
            a = b;
            b = c;
            AppendJsonChar(out, c);
            if (engine::IndexCodeOf(c) >= 0) --indexed;
        }
        out.push_back('"');
    }
};

std::string ChineseNumber(std::uint32_t n) {
    static const char* const kDigits[] = {"〇", "一", "二", "三", "四",
                                          "五", "六", "七", "八", "九"};
    std::string s;
    for (char c : std::to_string(n)) s += kDigits[c - '0'];
    return s;
}

int Usage() {
    std::cerr << "usage: make_scale_corpus TRAINING.jsonl OUT.jsonl [--scale S] [--seed N]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> positional;
    double scale = 1.0;
    std::uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale" && i + 1 < argc) {
            scale = std::atof(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--help" || arg == "-h") {
            return Usage();
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2 || !(scale > 0 && scale <= 1.0)) return Usage();

    std::ifstream training(positional[0]);
    if (!training) {
        std::cerr << "make_scale_corpus: cannot read " << positional[0] << "\n";
        return 1;
    }
    MarkovModel mainModel;
    MarkovModel noteModel;
    std::string line;
    std::size_t lineNo = 0;
    while (std::getline(training, line)) {
        ++lineNo;
        if (line.empty()) continue;
        const auto volume = nlohmann::json::parse(line, nullptr, false);
        if (volume.is_discarded() || !volume.contains("pages")) {
            std::cerr << "make_scale_corpus: line " << lineNo
                      << " of the training text is not a volume\n";
            return 2;
        }
        std::u32string mainText;
        std::u32string noteText;
        for (const auto& page : volume["pages"]) {
            for (const auto& run : page["runs"]) {
                if (run.is_string())
                    mainText += DecodeUtf8(run.get<std::string>());
                else if (run.is_object() && run.contains("note"))
                    noteText += DecodeUtf8(run["note"].get<std::string>());
            }
        }
        mainModel.Train(mainText);
        noteModel.Train(noteText);
    }
    if (noteModel.TrainedChars() < 3) noteModel = mainModel;
    mainModel.Freeze();
    noteModel.Freeze();
    std::cerr << "trained: main " << mainModel.TrainedChars() << " characters, "
              << mainModel.Contexts() << " contexts; notes " << noteModel.TrainedChars()
              << " characters\n";

    std::FILE* out = std::fopen(positional[1].c_str(), "wb");
    if (!out) {
        std::cerr << "make_scale_corpus: cannot write " << positional[1] << "\n";
        return 1;
    }
    static char buffer[1 << 20];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);

    static const char* const kCategories[] = {"經", "史", "子", "集", "詩", "詞"};
    const auto titles = static_cast<std::uint32_t>(1000 * scale + 0.5) < 1
                            ? 1u
                            : static_cast<std::uint32_t>(1000 * scale + 0.5);
    constexpr std::uint32_t kVolumesPerTitle = 8;
    constexpr std::uint32_t kCategoryCount = 6;

    Random random(seed);
    RunWriter mainWriter{mainModel, mainModel.Any(random), mainModel.Any(random)};
    RunWriter noteWriter{noteModel, noteModel.Any(random), noteModel.Any(random)};
    std::uint64_t pages = 0;
    std::uint64_t indexed = 0;
    std::uint64_t noteIndexed = 0;
    std::string text;
    for (std::uint32_t t = 0; t < titles; ++t) {
        const char* category = kCategories[t * kCategoryCount / titles];
        for (std::uint32_t v = 0; v < kVolumesPerTitle; ++v) {
            text.clear();
            text += "{\"category\":\"";
            text += category;
            text += "\",\"title\":\"書";
            text += ChineseNumber(t + 1);
            text += "\",\"volume\":\"巻";
            text += ChineseNumber(v + 1);
            text += "\",\"first_page\":1,\"pages\":[";
            // 150..350 pages of 200..600 indexed characters: 250 pages and
            // 400 characters on average, 2,000,000 pages at scale 1.
            const std::uint32_t pageCount = random.Between(150, 350);
            for (std::uint32_t p = 0; p < pageCount; ++p) {
                if (p > 0) text.push_back(',');
                text += "{\"runs\":[";
                std::uint32_t left = random.Between(200, 600);
                bool first = true;
                while (left > 0) {
                    // Main runs of 20..120 and notes of 8..36 indexed
                    // characters after four main runs in five: notes make
                    // about a fifth of the text.
                    std::uint32_t n = std::min(left, random.Between(20, 120));
                    if (!first) text.push_back(',');
                    first = false;
                    mainWriter.Write(text, n, random);
                    left -= n;
                    indexed += n;
                    if (left > 0 && random.Below(5) < 4) {
                        n = std::min(left, random.Between(8, 36));
                        text += ",{\"note\":";
                        noteWriter.Write(text, n, random);
                        text.push_back('}');
                        left -= n;
                        indexed += n;
                        noteIndexed += n;
                    }
                }
                text += "]}";
                ++pages;
            }
            text += "]}\n";
            std::fwrite(text.data(), 1, text.size(), out);
        }
        if ((t + 1) % 50 == 0 || t + 1 == titles)
            std::cerr << "title " << t + 1 << "/" << titles << ": " << pages << " pages, "
                      << indexed << " indexed characters\n";
    }
    if (std::fclose(out) != 0) {
        std::cerr << "make_scale_corpus: writing " << positional[1] << " failed\n";
        return 1;
    }
    std::cerr << "wrote " << pages << " pages, " << indexed << " indexed characters ("
              << (indexed ? 100.0 * static_cast<double>(noteIndexed) / static_cast<double>(indexed)
                          : 0)
              << "% in notes), " << titles << " titles, " << titles * kVolumesPerTitle
              << " volumes\n";
    return 0;
}
