#include "engine/accelerator.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/indexcode.h"

namespace engine {
namespace {

// A bijection of 64-bit words: multiplying by an odd constant and shifting
// bits down onto themselves can both be undone.
inline std::uint64_t Mix(std::uint64_t x) {
    x *= 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return x ^ (x >> 32);
}

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, 8);
    return v;
}

}  // namespace

std::uint64_t HashBytes(const void* data, std::size_t size, std::uint64_t seed) {
    // Four independent lanes, each folding in every fourth word, so that the
    // multiplications overlap.
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::uint64_t lane[4] = {seed ^ 0x243F6A8885A308D3ull, seed ^ 0x13198A2E03707344ull,
                             seed ^ 0xA4093822299F31D0ull, seed ^ 0x082EFA98EC4E6C89ull};
    std::size_t i = 0;
    // The lanes in locals of their own: kept in the array, the compiler
    // stored and reloaded them every word.
    std::uint64_t l0 = lane[0], l1 = lane[1], l2 = lane[2], l3 = lane[3];
    for (; i + 32 <= size; i += 32) {
        l0 = Mix(l0 ^ Load64(p + i));
        l1 = Mix(l1 ^ Load64(p + i + 8));
        l2 = Mix(l2 ^ Load64(p + i + 16));
        l3 = Mix(l3 ^ Load64(p + i + 24));
    }
    lane[0] = l0;
    lane[1] = l1;
    lane[2] = l2;
    lane[3] = l3;
    for (int k = 0; i + 8 <= size; i += 8, ++k) lane[k] = Mix(lane[k] ^ Load64(p + i));
    std::uint64_t tail = 0;
    if (size > i) std::memcpy(&tail, p + i, size - i);  // p may be null when size is 0
    std::uint64_t h = Mix(lane[0] ^ tail ^ size);
    for (int k = 1; k < 4; ++k) h = Mix(h ^ lane[k]);
    return h;
}

AcceleratorState Accelerator::Open(const CorpusFolder& folder, const std::string& name,
                                   std::uint64_t headerSize, std::uint64_t postingsSize,
                                   IdentityOf identity, const PostingsView& view) {
    Close();
    if (!m_file.Open(folder, name)) return m_state = AcceleratorState::Missing;
    const auto refuse = [this](AcceleratorState state) {
        Close();
        return m_state = state;
    };
    const std::uint64_t size = m_file.Size();
    AcceleratorHeader& header = m_header;
    const bool readable = size >= sizeof header && m_file.Map();
    if (readable) std::memcpy(&header, m_file.Data(), sizeof header);
    if (!readable || std::memcmp(header.magic, kAcceleratorMagic, 8) != 0 ||
        header.version != kAcceleratorVersion ||
        header.headerHash != HashBytes(&header, offsetof(AcceleratorHeader, headerHash)) ||
        header.fileSize != size)
        return refuse(AcceleratorState::Damaged);
    if (header.identity.headerSize != headerSize || header.identity.postingsSize != postingsSize)
        return refuse(AcceleratorState::Stale);
    const std::uint64_t directoryBytes = std::uint64_t{header.count} * sizeof(AcceleratorEntry);
    const std::uint64_t pairBytes = std::uint64_t{header.pairCount} * sizeof(AcceleratorPair);
    if (header.directoryOffset % 8 != 0 || header.directoryOffset < sizeof header ||
        header.directoryOffset > size || header.reserved != 0 ||
        directoryBytes > size - header.directoryOffset ||
        header.pairDirectoryOffset != header.directoryOffset + directoryBytes ||
        pairBytes != size - header.pairDirectoryOffset)
        return refuse(AcceleratorState::Damaged);
    // Lookups may search the directories before their checks: they stay
    // inside them whatever the bytes, and a hit runs the checks first.
    m_entries = {reinterpret_cast<const AcceleratorEntry*>(m_file.Data() + header.directoryOffset),
                 header.count};
    m_pairs = {reinterpret_cast<const AcceleratorPair*>(m_file.Data() + header.pairDirectoryOffset),
               header.pairCount};
    m_identity = std::move(identity);
    m_view = view;
    return m_state = AcceleratorState::Used;
}

AcceleratorState Accelerator::Verify() {
    if (m_state == AcceleratorState::Used && !m_verified) {
        const AcceleratorState state = CheckWhole();
        if (state != AcceleratorState::Used) {
            Disuse(state);
        } else {
            m_verified = true;
        }
    }
    return m_state;
}

AcceleratorState Accelerator::CheckWhole() {
    const AcceleratorHeader& header = m_header;
    if (!m_identity || !(m_identity() == header.identity)) return AcceleratorState::Stale;
    if (HashBytes(m_entries.data(), m_entries.size_bytes()) != header.directoryHash ||
        HashBytes(m_pairs.data(), m_pairs.size_bytes()) != header.pairDirectoryHash)
        return AcceleratorState::Damaged;
    // Sections lie between the header and the directory, codes ascend.
    for (std::size_t k = 0; k < m_entries.size(); ++k) {
        const AcceleratorEntry& e = m_entries[k];
        const bool fits =
            e.code < static_cast<std::uint32_t>(kCodeCount) && e.pageCount > 0 && e.reserved == 0 &&
            e.offset % 8 == 0 && e.offset >= sizeof header && e.offset <= header.directoryOffset &&
            AcceleratorSectionBytes(e.pageCount, e.bitWords) <= header.directoryOffset - e.offset &&
            (k == 0 || m_entries[k - 1].code < e.code);
        if (!fits) return AcceleratorState::Damaged;
    }
    for (std::size_t k = 0; k < m_pairs.size(); ++k) {
        const AcceleratorPair& p = m_pairs[k];
        const bool fits =
            p.pageCount > 0 && p.reserved == 0 && p.offset % 8 == 0 && p.offset >= sizeof header &&
            p.offset <= header.directoryOffset &&
            (std::uint64_t{p.pageCount} * 4 + 7) / 8 * 8 <= header.directoryOffset - p.offset &&
            (k == 0 ||
             std::pair(m_pairs[k - 1].first, m_pairs[k - 1].second) < std::pair(p.first, p.second));
        if (!fits) return AcceleratorState::Damaged;
    }
    m_pairChecked.assign(m_pairs.size(), 0);
    return AcceleratorState::Used;
}

void Accelerator::Disuse(AcceleratorState state) {
    // Tables filled before stay valid: the mapping lasts until Close. None
    // is filled before the whole file is checked, but a section that fails
    // its own checks later leaves the good ones in use.
    m_entries = {};
    m_pairs = {};
    m_pairChecked.clear();
    m_identity = nullptr;
    m_state = state;
}

void Accelerator::Close() {
    Disuse(AcceleratorState::Missing);
    m_file.Close();
    m_view = {};
    m_verified = false;
}

bool Accelerator::Fill(int code, std::uint32_t lastPage, EntryTable& table) {
    if (m_state != AcceleratorState::Used) return false;
    const auto it = std::lower_bound(
        m_entries.begin(), m_entries.end(), code,
        [](const AcceleratorEntry& e, int c) { return e.code < static_cast<std::uint32_t>(c); });
    if (it == m_entries.end() || it->code != static_cast<std::uint32_t>(code) ||
        Verify() != AcceleratorState::Used)
        return false;
    const AcceleratorEntry& e = *it;
    const std::uint8_t* section = m_file.Data() + e.offset;
    const std::uint64_t n = e.pageCount;
    const std::uint64_t w = e.bitWords;
    EntryTable t;
    const std::uint8_t* at = section;
    t.pages = {reinterpret_cast<const std::uint32_t*>(at), n};
    at += (n * 4 + 7) / 8 * 8;
    t.places = {reinterpret_cast<const EntryPlace*>(at), n};
    at += n * sizeof(EntryPlace);
    t.bits = {reinterpret_cast<const std::uint64_t*>(at), w};
    at += w * 8;
    t.ranks = {reinterpret_cast<const std::uint32_t*>(at), w};
    if (HashBytes(section, AcceleratorSectionBytes(n, w)) != e.hash || !Check(e, lastPage, t)) {
        Disuse(AcceleratorState::Damaged);
        return false;
    }
    table.pages = t.pages;
    table.places = t.places;
    table.bits = t.bits;
    table.ranks = t.ranks;
    table.damaged = false;
    return true;
}

bool Accelerator::EndsWithNumber(const EntryPlace& place) const {
    PostingsCursor cursor;
    cursor.OpenAt(m_view, place.location / kPostingsBlockSize, place.location % kPostingsBlockSize);
    std::int32_t remaining = place.length;
    while (remaining > 0 && !cursor.Damaged()) cursor.ReadPosition(remaining);
    return !cursor.Damaged() && remaining == 0;
}

std::span<const std::uint32_t> Accelerator::PairPages(int first, int second) {
    if (m_state != AcceleratorState::Used || first < 0 || second < 0) return {};
    const auto key =
        std::pair(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second));
    const auto it = std::lower_bound(
        m_pairs.begin(), m_pairs.end(), key,
        [](const AcceleratorPair& p, const auto& k) { return std::pair(p.first, p.second) < k; });
    if (it == m_pairs.end() || std::pair(it->first, it->second) != key ||
        Verify() != AcceleratorState::Used)
        return {};
    const std::size_t index = static_cast<std::size_t>(it - m_pairs.begin());
    const auto* pages = reinterpret_cast<const std::uint32_t*>(m_file.Data() + it->offset);
    const std::span<const std::uint32_t> list(pages, it->pageCount);
    if (m_pairChecked[index] == 0) {
        bool good = HashBytes(pages, (std::uint64_t{it->pageCount} * 4 + 7) / 8 * 8) == it->hash;
        for (std::size_t k = 1; good && k < list.size(); ++k) good = list[k - 1] < list[k];
        if (!good) {
            Disuse(AcceleratorState::Damaged);
            return {};
        }
        m_pairChecked[index] = 1;
    }
    return list;
}

bool Accelerator::Check(const AcceleratorEntry& e, std::uint32_t lastPage,
                        const EntryTable& t) const {
    // What matching relies on: pages ascending up to the code's last page,
    // positions inside the postings (those that cross a block end are read
    // through the chain, which checks itself), a bitmap that names exactly
    // the pages with ranks that count them.
    if (t.pages.back() != lastPage) return false;
    for (std::size_t k = 0; k < t.pages.size(); ++k) {
        if (k > 0 && t.pages[k] <= t.pages[k - 1]) return false;
        const EntryPlace& place = t.places[k];
        const bool inOneBlock =
            place.location % kPostingsBlockSize + place.length <= kPostingsBlockSize;
        if (place.count == 0 || place.length < place.count ||
            (inOneBlock && std::uint64_t{place.location} + place.length > m_view.size))
            return false;
        // Matching reads a number's bytes without looking at the entry's
        // end; near the end of the file the entry must end with a number.
        if (inOneBlock && std::uint64_t{place.location} + place.length + 2 >= m_view.size &&
            !EndsWithNumber(place))
            return false;
    }
    if (e.bitWords == 0) return true;
    if (e.bitWords != lastPage / 64 + 1) return false;
    std::uint32_t before = 0;
    for (std::size_t word = 0; word < t.bits.size(); ++word) {
        if (t.ranks[word] != before) return false;
        before += CountBits(t.bits[word]);
    }
    if (before != t.pages.size()) return false;
    for (std::uint32_t page : t.pages) {
        if (((t.bits[page / 64] >> (page % 64)) & 1) == 0) return false;
    }
    return true;
}

std::string AcceleratorNotice(AcceleratorState state, const std::string& fileName) {
    switch (state) {
        case AcceleratorState::Used:
            return {};
        case AcceleratorState::Missing:
            return fileName + " がないため、高速化ファイルなしで検索します。";
        case AcceleratorState::Stale:
            return fileName + " は別の索引のものなので、高速化ファイルなしで検索します。";
        case AcceleratorState::Damaged:
            return fileName + " が壊れているため、高速化ファイルなしで検索します。";
    }
    return {};
}

}  // namespace engine
