#include "tests/fuzz/smallcorpus.h"

#include <cstdio>

#include "tests/engine/indexfixture.h"

namespace fuzz {

const std::vector<std::u32string>& SmallCorpusTexts() {
    static const std::vector<std::u32string> texts = {
        U"一二三四五六七八",   U"壹二三一二三一二三", U"四五六\U00020000七八九一",
        U"一一一二二二三三三", U"九八七六五四三二一", U"弌二三四貳",
        U"一五九一五九",       U"二四六八二四六八",   U"三\U00020000三\U00020000三",
        U"七七七七七七七七七", U"一二三四五六七八九", U"八一八二八三八四",
    };
    return texts;
}

const std::vector<std::vector<std::uint32_t>>& SmallCorpusGroups() {
    static const std::vector<std::vector<std::uint32_t>> groups = {
        {0x4E00, 0x58F9, 0x5F0C},  // 一 壹 弌
        {0x4E8C, 0x8CB3},          // 二 貳
        {0x4E5D, 0x7396},          // 九 玖
    };
    return groups;
}

std::string Utf8Of(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string SmallCorpusPage(const std::u32string& text, std::size_t recordIndex) {
    std::string cell;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string ch = Utf8Of(text.substr(i, 1));
        if (i % 3 == 2) {
            cell += "<font size=-1 color=\"#993366\">" + ch + "</font>";
        } else {
            cell += ch;
        }
    }
    // Record i is named page i + 1, whose parity picks the cell.
    const bool odd = (recordIndex + 1) % 2 == 1;
    return "<html><head><title>page " + std::to_string(recordIndex) +
           "</title></head><body><table><tr><TD>" + (odd ? "" : cell) + "</TD><TD>" +
           (odd ? cell : "") + "</TD></tr></table></body></html>";
}

bool WriteSmallCorpus(const std::string& dir) {
    const auto& texts = SmallCorpusTexts();
    enginetest::IndexWriter writer;
    writer.AddPages(0, texts, SmallCorpusGroups());
    std::vector<std::string> stored;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        stored.push_back(SmallCorpusPage(texts[i], i));
        names.push_back(std::to_string(i + 1) + ".htm");
    }
    std::string table;
    for (const auto& group : SmallCorpusGroups()) {
        for (std::size_t k = 0; k < group.size(); ++k) {
            char field[16];
            std::snprintf(field, sizeof field, k == 0 ? "%X" : ",%X", group[k]);
            table += field;
        }
        table += "\n";
    }
    return enginetest::WriteIndex(dir, "Index", "",
                                  writer.Build(enginetest::BlockOrder::Shuffled, 7)) &&
           enginetest::WritePageStore(dir, "Index", stored, static_cast<std::int32_t>(texts.size()),
                                      names) &&
           enginetest::WriteFile(dir + "/yitizi.txt", table);
}

}  // namespace fuzz
