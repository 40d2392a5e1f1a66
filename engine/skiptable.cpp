#include "engine/skiptable.h"

#include "engine/indexcode.h"

namespace engine {

void SkipTables::SetSpacing(std::uint32_t spacing) {
    m_spacing = spacing == 0 ? 1 : spacing;
    Clear();
}

void SkipTables::Clear() {
    m_tables.clear();
    m_entryCounts.clear();
}

std::uint32_t SkipTables::EntryCount(int code) const {
    return m_entryCounts.empty() ? 0 : m_entryCounts[static_cast<std::size_t>(code)];
}

const SkipTable& SkipTables::For(int code, std::uint32_t firstBlock, std::uint32_t lastPage,
                                 const PostingsView& view) {
    if (m_tables.empty()) {
        m_tables.resize(kCodeCount);
        m_entryCounts.assign(kCodeCount, 0);
    }
    std::unique_ptr<SkipTable>& slot = m_tables[static_cast<std::size_t>(code)];
    if (slot) return *slot;
    slot = std::make_unique<SkipTable>();

    PostingsCursor cursor;
    cursor.Open(view, firstBlock);
    std::uint32_t delta = 0;
    std::uint32_t length = 0;
    cursor.ReadEntryHeader(delta, length);
    if (cursor.Damaged() || delta > lastPage) return *slot;
    std::uint32_t page = delta;
    SkipTable table;
    std::uint32_t entry = 1;
    for (; page != lastPage; ++entry) {
        cursor.SkipRestOfEntry(length);
        const PostingsCursor::Mark mark = cursor.Save();
        cursor.ReadEntryHeader(delta, length);
        if (cursor.Damaged() || delta == 0 || delta > lastPage - page) break;
        if (entry % m_spacing == 0) table.push_back({page + delta, page, entry, mark});
        page += delta;
    }
    m_entryCounts[static_cast<std::size_t>(code)] = entry;
    if (table.size() >= 2) slot->swap(table);
    return *slot;
}

}  // namespace engine
