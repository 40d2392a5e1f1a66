// Fuzz target: opening a corpus folder. The input holds a flag byte, the
// manifest corpus.id (a 16-bit length and its bytes) and, as the rest, the
// variant table yitizi.txt, written beside the small corpus. Flag bits 0-1
// grow yitizi.txt (sparse) to the size cap, one byte past it, or past it by a
// 16-bit amount; bit 2 writes the manifest (else there is none); bit 3
// replaces the manifest's files by those of the corpus with correct digests,
// so that the manifest's other lines and one changed length are fuzzed too.
//
// Checked: the corpus loads exactly when the manifest is absent or parses
// and every file the load reads matches it; a table past the cap gives no
// groups; one within it gives the groups its content describes.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/corpusfolder.h"
#include "engine/index.h"
#include "engine/varianttable.h"
#include "tests/fuzz/fuzzfolder.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/fuzz/fuzztargets.h"
#include "tests/fuzz/invariants.h"
#include "tests/fuzz/smallcorpus.h"

namespace fuzz {
namespace {

constexpr const char* kLoaded[] = {"Index-idx.h", "Index-idx.m", "Index-fl.h", "Index-fl.cnt"};

// Whether a file of the folder has the length and digest the manifest lists.
bool Matches(const engine::CorpusFolder& plain, const engine::Manifest& manifest,
             const std::string& name) {
    const auto it = manifest.files.find(name);
    if (it == manifest.files.end()) return true;
    std::uint64_t size = 0;
    std::uint64_t digest = 0;
    const engine::FileHandle file = plain.OpenFile(name, size);
    return file.IsOpen() && engine::FileDigest(file.Get(), size, digest) &&
           size == it->second.size && digest == it->second.digest;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

int FuzzCorpusOpen(const std::uint8_t* data, std::size_t size) {
    // A folder of its own: the other targets write into the shared one.
    static const std::string dir = FuzzFolder() + "/corpusopen";
    static const bool written = !FuzzFolder().empty() &&
                                (std::filesystem::create_directory(dir) || true) &&
                                WriteSmallCorpus(dir);
    if (!written) return 0;
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    std::string manifestText(in.Piece());
    const std::uint16_t extra = in.U16();
    const std::string table(in.Rest());

    const std::string tablePath = dir + "/yitizi.txt";
    if (!WriteWhole(tablePath, table)) return 0;
    constexpr std::uint64_t kCap = engine::VariantTable::kMaxFileBytes;
    std::uint64_t tableSize = table.size();
    switch (flags & 3) {
        case 1:
            tableSize = std::max<std::uint64_t>(tableSize, kCap);
            break;
        case 2:
            tableSize = std::max<std::uint64_t>(tableSize, kCap + 1);
            break;
        case 3:
            tableSize = std::max<std::uint64_t>(tableSize, kCap + extra);
            break;
        default:
            break;
    }
    if (::truncate(tablePath.c_str(), static_cast<off_t>(tableSize)) != 0) return 0;

    const std::string manifestPath = dir + "/" + engine::kManifestName;
    std::filesystem::remove(manifestPath);
    engine::CorpusFolder plain;
    Require(plain.Open(dir), "the folder without a manifest does not open");
    engine::Manifest manifest;
    bool parses = false;
    if (flags & 4) {
        if (flags & 8) {
            // A manifest true to the files, with the fuzzed one's stamp and
            // one length changed by the extra amount.
            engine::Manifest base;
            if (!engine::ParseManifest(manifestText, base)) {
                base = {};
                base.stamp = std::string(32, '0');
            }
            for (const char* name : kLoaded) {
                std::uint64_t length = 0;
                std::uint64_t digest = 0;
                const engine::FileHandle file = plain.OpenFile(name, length);
                if (file.IsOpen() && engine::FileDigest(file.Get(), length, digest))
                    base.files[name] = {length, digest};
            }
            base.files[kLoaded[extra % 4]].size += extra >> 14;
            manifestText = engine::ManifestText(base);
        }
        if (!WriteWhole(manifestPath, manifestText)) return 0;
        parses = manifestText.size() <= engine::kMaxManifestBytes &&
                 engine::ParseManifest(manifestText, manifest);
    }

    bool expected = !(flags & 4) || parses;
    if (parses) {
        for (const char* name : kLoaded) expected = expected && Matches(plain, manifest, name);
    }
    engine::CorpusFolder folder;
    const bool opened = folder.Open(dir);
    Require(opened == (!(flags & 4) || parses), "a manifest opened unlike its parse");
    static engine::CIndex index;
    const bool loaded = opened && index.Load(folder, "Index", engine::Full);
    Require(loaded == expected, "the load disagrees with the manifest");
    if (!loaded) return 0;

    if (tableSize > kCap || (parses && !Matches(plain, manifest, "yitizi.txt"))) {
        Require(index.Variants().empty(), "an unreadable variant table gave groups");
    } else if (tableSize == table.size()) {
        engine::VariantTable parsed;
        parsed.Parse(table);
        Require(parsed.Groups() == index.Variants(), "the file and its content differ");
    }
    std::u16string query = u"一";
    index.SearchOr(query, true, true);
    return 0;
}

}  // namespace fuzz
