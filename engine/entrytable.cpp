#include "engine/entrytable.h"

#include <algorithm>

#include "engine/indexcode.h"

namespace engine {

std::uint32_t SeekPage(const std::uint32_t* pages, std::uint32_t size, std::uint32_t from,
                       std::uint32_t target) {
    if (from >= size || pages[from] >= target) return from;
    std::uint32_t below = from;  // pages[below] < target
    std::uint32_t step = 1;
    std::uint32_t probe = from + 1;
    while (probe < size && pages[probe] < target) {
        below = probe;
        step *= 2;
        probe = step < size - below ? below + step : size;
    }
    const std::uint32_t* found = std::lower_bound(pages + below + 1, pages + probe, target);
    return static_cast<std::uint32_t>(found - pages);
}

namespace {

// Decodes the packed positions from p up to end (the first absolute, then
// distances): returns the set of their residues modulo 64 and sets count to
// their number. p stops at end, or past it when the last number runs over;
// up to two bytes after end may be read. The number's length is chosen
// without a branch: lengths mix at random, so a branch on them would be
// mispredicted about every other number.
std::uint64_t PositionResidues(const std::uint8_t*& p, const std::uint8_t* end,
                               std::uint32_t& count) {
    std::uint64_t position = 0;
    std::uint64_t residues = 0;
    std::uint32_t n = 0;
    while (p < end) {
        const std::uint32_t b0 = p[0];
        const std::uint32_t b1 = p[1];
        const std::uint32_t b2 = p[2];
        const std::uint32_t two = b0 >= 0x80;
        const std::uint32_t three = b0 >= 0xC0;
        const std::uint32_t low = b0 & 0x3F;
        std::uint32_t value = three ? (low << 16 | b1 << 8 | b2) : (low << 8 | b1);
        value = two ? value : b0;
        position += value;
        residues |= std::uint64_t{1} << (position % 64);
        p += 1 + two + three;
        ++n;
    }
    count = n;
    return residues;
}

// Walks the stream that starts at byte 0 of firstBlock and ends with the
// entry of lastPage, and appends to table the entries whose page wanted
// accepts (asked in ascending page order), with their positions decoded.
// Entries it does not want are stepped over by their byte length.
template <typename Wanted>
void WalkEntries(const PostingsView& view, std::uint32_t firstBlock, std::uint32_t lastPage,
                 Wanted wanted, EntryTable& table) {
    PostingsCursor cursor;
    cursor.Open(view, firstBlock);
    std::uint32_t page = 0;
    for (bool first = true;; first = false) {
        std::uint32_t delta = 0;
        std::uint32_t length = 0;
        cursor.ReadEntryHeader(delta, length);
        cursor.Settle();
        // Entries ascend strictly, end at the code's last page and hold at
        // least one position; a location must fit the table's 32 bits.
        const bool ascends = first ? delta <= lastPage : delta != 0 && delta <= lastPage - page;
        if (cursor.Damaged() || !ascends || length == 0 || cursor.Block() >= (1u << 20)) {
            table.damaged = true;
            break;
        }
        page += delta;
        if (!wanted(page)) {
            cursor.SkipRestOfEntry(length);
            if (cursor.Damaged()) {
                table.damaged = true;
                break;
            }
            if (page == lastPage) break;
            continue;
        }
        const std::uint32_t location = cursor.Block() * kPostingsBlockSize + cursor.Offset();
        std::uint32_t count = 0;
        std::uint64_t residues = 0;
        if (cursor.InPlace() >= length + 2) {
            // The whole entry, and the two bytes a number running past it
            // could take, lie in this block: decode without bounds checks.
            const std::uint8_t* p = cursor.Here();
            const std::uint8_t* end = p + length;
            residues = PositionResidues(p, end, count);
            if (p != end) {
                table.damaged = true;
                break;
            }
            cursor.Advance(length);
        } else {
            std::int32_t remaining = static_cast<std::int32_t>(length);
            std::uint64_t position = 0;
            while (remaining > 0 && !cursor.Damaged()) {
                position += cursor.ReadPosition(remaining);
                residues |= std::uint64_t{1} << (position % 64);
                ++count;
            }
        }
        if (cursor.Damaged()) {
            table.damaged = true;
            break;
        }
        table.ownPages.push_back(page);
        table.ownPlaces.push_back({location, static_cast<std::uint16_t>(length),
                                   static_cast<std::uint16_t>(count), residues});
        if (page == lastPage) break;
    }
}

}  // namespace

void BuildPartialEntryTable(const PostingsView& view, std::uint32_t firstBlock,
                            std::uint32_t lastPage, std::span<const std::uint32_t> wanted,
                            EntryTable& table) {
    // The arrays keep their memory for the next partial table.
    table.ownPages.clear();
    table.ownPlaces.clear();
    table.damaged = false;
    std::size_t next = 0;
    WalkEntries(
        view, firstBlock, lastPage,
        [&](std::uint32_t page) {
            while (next < wanted.size() && wanted[next] < page) ++next;
            return next < wanted.size() && wanted[next] == page;
        },
        table);
    table.pages = table.ownPages;
    table.places = table.ownPlaces;
    table.bits = {};
    table.ranks = {};
}

void BuildEntryTable(const PostingsView& view, std::uint32_t firstBlock, std::uint32_t lastPage,
                     EntryTable& table, std::uint32_t expectedPages) {
    // Growing the arrays entry by entry copied them a dozen times over. A
    // stream has at most one entry per page up to its last, and an index at
    // most kMaxRecords pages, whatever a damaged header says.
    constexpr std::size_t kMaxRecords = std::size_t{1} << 22;
    const std::size_t expected =
        std::min({std::size_t{expectedPages}, std::size_t{lastPage} + 1, kMaxRecords});
    table.ownPages.reserve(expected);
    table.ownPlaces.reserve(expected);
    WalkEntries(
        view, firstBlock, lastPage, [](std::uint32_t) { return true; }, table);
    LargeArray<std::uint32_t>& pages = table.ownPages;
    if (pages.size() >= 64 &&
        pages.size() * EntryTable::kDenseRatio >= std::size_t{pages.back()} + 1) {
        LargeArray<std::uint64_t>& bits = table.ownBits;
        bits.assign(pages.back() / 64 + 1, 0);
        for (std::uint32_t p : pages) bits[p / 64] |= std::uint64_t{1} << (p % 64);
        table.ownRanks.resize(bits.size());
        std::uint32_t before = 0;
        for (std::size_t w = 0; w < bits.size(); ++w) {
            table.ownRanks[w] = before;
            before += CountBits(bits[w]);
        }
    }
    pages.shrink_to_fit();
    table.ownPlaces.shrink_to_fit();
    table.pages = table.ownPages;
    table.places = table.ownPlaces;
    table.bits = table.ownBits;
    table.ranks = table.ownRanks;
}

void EntryTables::Clear() {
    m_slots.clear();
    m_built.clear();
    m_keptBytes = 0;
}

const EntryTable* EntryTables::Kept(int code) {
    const auto it = m_slots.find(code);
    if (it == m_slots.end() || !it->second.table) return nullptr;
    it->second.lastUse = m_round;
    return it->second.table.get();
}

bool EntryTables::FirstAsk(int code) { return m_slots.try_emplace(code).second; }

const EntryTable& EntryTables::For(int code, std::uint32_t firstBlock, std::uint32_t lastPage,
                                   const PostingsView& view, std::uint32_t expectedPages) {
    Slot& slot = m_slots[code];
    slot.lastUse = m_round;
    if (!slot.table) {
        slot.table = std::make_unique<EntryTable>();
        if (m_source == nullptr || !m_source->Fill(code, lastPage, *slot.table))
            BuildEntryTable(view, firstBlock, lastPage, *slot.table, expectedPages);
        m_built.push_back(code);
        m_keptBytes += slot.table->Bytes();
    }
    return *slot.table;
}

void EntryTables::Release(int code) {
    const auto it = m_slots.find(code);
    if (it == m_slots.end() || !it->second.table || it->second.table->ownPages.empty()) return;
    m_keptBytes -= it->second.table->Bytes();
    m_slots.erase(it);
    m_built.erase(std::find(m_built.begin(), m_built.end(), code));
}

void EntryTables::TrimTo(std::size_t bytes) {
    if (m_keptBytes > bytes) {
        std::sort(m_built.begin(), m_built.end(),
                  [this](int a, int b) { return m_slots[a].lastUse < m_slots[b].lastUse; });
        std::size_t dropped = 0;
        for (; dropped < m_built.size() && m_keptBytes > bytes; ++dropped) {
            const auto it = m_slots.find(m_built[dropped]);
            if (it->second.lastUse == m_round) break;
            m_keptBytes -= it->second.table->Bytes();
            m_slots.erase(it);
        }
        m_built.erase(m_built.begin(), m_built.begin() + static_cast<std::ptrdiff_t>(dropped));
    }
    ++m_round;
}

}  // namespace engine
