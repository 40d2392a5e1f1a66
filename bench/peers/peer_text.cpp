// peer_text: writes the whole text of every page of a corpus source as one
// line of its indexed characters only, pages in source order (line n + 1 is
// record index n), for the peer engines.
//
//   peer_text SOURCE.jsonl OUT.txt
//
// Our index numbers only indexed characters (punctuation, line breaks, ASCII
// and the like take no position), so a phrase matches across them. Giving
// the peers this punctuation-free copy makes their substring and regular
// expression matches mean exactly what ours do.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "engine/indexcode.h"

namespace {

// Appends the indexed characters of the UTF-8 text s to out.
void AppendIndexed(std::string& out, const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
        char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        if (engine::IndexCodeOf(cp) >= 0) out.append(s, i, n);
        i += n;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: peer_text SOURCE.jsonl OUT.txt\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!in || !out) {
        std::cerr << "peer_text: cannot open " << (in ? argv[2] : argv[1]) << "\n";
        return 1;
    }
    std::string line;
    std::string text;
    std::size_t lineNo = 0;
    std::size_t pages = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty()) continue;
        const auto volume = nlohmann::json::parse(line, nullptr, false);
        if (volume.is_discarded() || !volume.contains("pages")) {
            std::cerr << "peer_text: line " << lineNo << " is not a volume\n";
            return 2;
        }
        for (const auto& page : volume["pages"]) {
            text.clear();
            for (const auto& run : page["runs"]) {
                if (run.is_string())
                    AppendIndexed(text, run.get_ref<const std::string&>());
                else if (run.is_object() && run.contains("note"))
                    AppendIndexed(text, run["note"].get_ref<const std::string&>());
            }
            text.push_back('\n');
            std::fwrite(text.data(), 1, text.size(), out);
            ++pages;
        }
    }
    if (std::fclose(out) != 0) {
        std::cerr << "peer_text: writing " << argv[2] << " failed\n";
        return 1;
    }
    std::cerr << "peer_text: " << pages << " pages\n";
    return 0;
}
