#include "panel/catalogue.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace panel {

namespace {

constexpr std::size_t kMaxRecords = kCatalogueSlotCount - 1;
constexpr std::size_t kMaxBytes = kMaxRecords * kCatalogueRecordSize;
// Size of the table of last tree items by level.
constexpr int kItemLevels = 20;

// One line describing what of a catalogue of totalBytes was not loaded.
std::string IgnoredPartLine(std::uint64_t totalBytes, bool readFailed, std::size_t readBytes) {
    if (readFailed) {
        return "kvt.dir: read error after " + std::to_string(readBytes) +
               " bytes; only the whole records before it were loaded";
    }
    const std::uint64_t records = totalBytes / kCatalogueRecordSize;
    const std::uint64_t partial = totalBytes % kCatalogueRecordSize;
    if (records > kMaxRecords) {
        return "kvt.dir: " + std::to_string(records) + " records" +
               (partial ? " and a partial record of " + std::to_string(partial) + " bytes" : "") +
               "; only the first " + std::to_string(kMaxRecords) + " records were loaded";
    }
    if (partial) {
        return "kvt.dir: ends with a partial record of " + std::to_string(partial) +
               " bytes; it was ignored";
    }
    return {};
}

const CatalogueRecord kEmptyRecord{};

// A name as the listing prints it: a control character (which the builder
// refuses, but a foreign kvt.dir may hold) becomes \xNN, so that one record
// is always one line.
std::string EscapedName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

Catalogue::Catalogue() { Clear(); }

Catalogue::~Catalogue() = default;

void Catalogue::Clear() {
    // The tables grow with the records read: slot 0 stays unused, and the
    // 10,000 slots a catalogue may fill are not touched until it does.
    m_NodeItem.assign(1, CatalogueRecord{});
    m_nodeOfSlot.assign(1, nullptr);
    m_treeParent.assign(1, 0);
    m_recordCount = 1;
    m_rootNode = std::make_unique<ContentsNodeTag>();
    m_rootNode->name = "root";
    m_rootNode->wholeCorpus = true;
    m_orphans.clear();
    m_treeItems.clear();
    m_lastNodeAtLevel.assign(1, m_rootNode.get());
    m_lastItemAtLevel.assign(kItemLevels, 0);
    m_lastVolume = nullptr;
}

CatalogueLoadResult Catalogue::LoadCatalogue(const std::string& dataDir,
                                             const std::string& listingPath) {
    engine::CorpusFolder folder;
    folder.Open(dataDir.empty() ? std::string(".") : dataDir);
    return LoadCatalogue(folder, listingPath);
}

CatalogueLoadResult Catalogue::LoadCatalogue(const engine::CorpusFolder& folder,
                                             const std::string& listingPath) {
    Clear();
    CatalogueLoadResult result;
    // The listing is created first, as an empty file when kvt.dir is missing.
    std::FILE* listing = listingPath.empty() ? nullptr : std::fopen(listingPath.c_str(), "wb");

    ReadRecords(folder, result);

    if (listing) {
        const std::string text = ListingText();
        const bool wrote = std::fwrite(text.data(), 1, text.size(), listing) == text.size();
        result.listingWritten = (std::fclose(listing) == 0) && wrote;
    }
    return result;
}

void Catalogue::ReadRecords(const engine::CorpusFolder& folder, CatalogueLoadResult& result) {
    std::uint64_t size = 0;
    const engine::FileHandle fd = folder.OpenFile(kCatalogueFileName, size);
    if (!fd.IsOpen()) return;
    result.opened = true;
    ReserveRecords(static_cast<std::size_t>(
        std::min<std::uint64_t>(size / kCatalogueRecordSize, kMaxRecords)));
    // Records go from a fixed buffer into the table as they arrive: no copy
    // of the whole file is made. Reading goes on past the last record that
    // fits, so that an excess can be told.
    unsigned char buffer[kCatalogueRecordSize * 256];
    std::size_t held = 0;
    std::uint64_t readBytes = 0;
    bool readFailed = false;
    while (readBytes <= kMaxBytes) {
        const ssize_t got = ::read(fd.Get(), buffer + held, sizeof buffer - held);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            readFailed = true;
            break;
        }
        if (got == 0) break;
        readBytes += static_cast<std::uint64_t>(got);
        held += static_cast<std::size_t>(got);
        const std::size_t room = kMaxRecords + 1 - static_cast<std::size_t>(m_recordCount);
        const std::size_t whole = std::min(held / kCatalogueRecordSize, room);
        AddRecords(buffer, whole);
        // Once the table is full the rest is not kept.
        const std::size_t used = whole == room ? held : whole * kCatalogueRecordSize;
        std::memmove(buffer, buffer + used, held - used);
        held -= used;
    }
    IndexChildRanges(*m_rootNode);
    result.records = m_recordCount - 1;
    result.diagnostic = IgnoredPartLine(std::max(size, readBytes), readFailed, readBytes);
}

CatalogueLoadResult Catalogue::LoadRecords(std::string_view bytes) {
    Clear();
    CatalogueLoadResult result;
    result.opened = true;
    const std::size_t whole = std::min(bytes.size() / kCatalogueRecordSize, kMaxRecords);
    ReserveRecords(whole);
    AddRecords(reinterpret_cast<const unsigned char*>(bytes.data()), whole);
    IndexChildRanges(*m_rootNode);
    result.records = m_recordCount - 1;
    result.diagnostic = IgnoredPartLine(bytes.size(), false, bytes.size());
    return result;
}

void Catalogue::ReserveRecords(std::size_t count) {
    m_NodeItem.reserve(count + 1);
    m_nodeOfSlot.reserve(count + 1);
    m_treeParent.reserve(count + 1);
}

void Catalogue::AddRecords(const unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        CatalogueRecord record;
        std::memcpy(record.bytes.data(), bytes + i * kCatalogueRecordSize, kCatalogueRecordSize);
        AddRecord(record);
    }
}

void Catalogue::AddRecord(const CatalogueRecord& record) {
    const int slot = m_recordCount;
    m_NodeItem.push_back(record);
    auto owned = std::make_unique<ContentsNodeTag>(record, slot);
    ContentsNodeTag* node = owned.get();
    const std::int32_t level = node->level;

    // Parent: the last node appended one level up. Nodes in the tree sit at
    // the depth of their level, so that is the last entry of that level.
    const std::int64_t parentLevel = static_cast<std::int64_t>(level) - 1;
    ContentsNodeTag* parent = nullptr;
    if (parentLevel >= 0 && parentLevel < static_cast<std::int64_t>(m_lastNodeAtLevel.size())) {
        parent = m_lastNodeAtLevel[static_cast<std::size_t>(parentLevel)];
    }

    // Volumes of one title are linked; volumes without a title are not.
    if (level == 3) {
        if (m_lastVolume && parent && m_lastVolume->parent == parent) {
            m_lastVolume->nextVolume = node;
            node->prevVolume = m_lastVolume;
        }
        m_lastVolume = node;
    }

    if (parent) {
        parent->AddChild(std::move(owned));
        const auto depth = static_cast<std::size_t>(level);
        if (depth == m_lastNodeAtLevel.size()) {
            m_lastNodeAtLevel.push_back(node);
        } else {
            m_lastNodeAtLevel[depth] = node;
        }
    } else {
        m_orphans.push_back(std::move(owned));
    }
    m_nodeOfSlot.push_back(node);

    // Tree control item: under the last item one level up, else top level.
    int parentSlot = 0;
    if (level != 1 && parentLevel >= 1 && parentLevel < kItemLevels) {
        parentSlot = m_lastItemAtLevel[static_cast<std::size_t>(parentLevel)];
    }
    if (level >= 0 && level < kItemLevels)
        m_lastItemAtLevel[static_cast<std::size_t>(level)] = slot;
    m_treeParent.push_back(parentSlot);
    m_treeItems.push_back({slot, parentSlot});

    ++m_recordCount;
}

std::string Catalogue::ListingLine(const CatalogueRecord& record) {
    std::string line;
    if (record.Level() == 2) line = "\t";
    if (record.Level() == 3) line = "\t\t";
    line += "name=" + EscapedName(record.Name());
    line += "\tdocID=" + std::to_string(record.DocID());
    line += "\tdocNo=" + std::to_string(record.DocNo());
    line += "\tcurFileName=" + std::to_string(record.CurFileName());
    line += "\n";
    return line;
}

std::string Catalogue::ListingText() const {
    std::string text;
    for (int slot = 1; slot < m_recordCount; ++slot) text += ListingLine(m_NodeItem[slot]);
    return text;
}

const CatalogueRecord& Catalogue::NodeItem(int slot) const {
    if (slot < 0 || static_cast<std::size_t>(slot) >= m_NodeItem.size()) return kEmptyRecord;
    return m_NodeItem[static_cast<std::size_t>(slot)];
}

const ContentsNodeTag* Catalogue::NodeOfSlot(int slot) const {
    return HoldsEntry(slot) ? m_nodeOfSlot[static_cast<std::size_t>(slot)] : nullptr;
}

const ContentsNodeTag* Catalogue::ScopeNode(int slot) const {
    if (slot == kWholeCorpusSlot) return m_rootNode.get();
    return HoldsEntry(slot) ? FindCatalogueNode(*m_rootNode, NodeItem(slot)) : nullptr;
}

int Catalogue::TreeParentSlot(int slot) const {
    return HoldsEntry(slot) ? m_treeParent[static_cast<std::size_t>(slot)] : 0;
}

std::string Catalogue::TreePath(int slot) const {
    if (slot == kWholeCorpusSlot) return kWholeCorpusName;
    if (!HoldsEntry(slot)) return {};
    std::string path = m_nodeOfSlot[static_cast<std::size_t>(slot)]->name;
    // Parents always have smaller slots, so the walk ends.
    for (int up = TreeParentSlot(slot); up != 0; up = TreeParentSlot(up)) {
        path = m_nodeOfSlot[static_cast<std::size_t>(up)]->name + "\\" + path;
    }
    return path;
}

}  // namespace panel
