#include "tools/orvale-build/corpusbuilder.h"

#include <algorithm>
#include <cstdio>

#include "engine/indexcode.h"
#include "tools/orvale-build/builderror.h"
#include "tools/orvale-build/filewriter.h"
#include "tools/orvale-build/manifestwriter.h"
#include "tools/orvale-build/packednumber.h"
#include "tools/orvale-build/storedpage.h"
#include "tools/orvale-build/utf8.h"

namespace build {
namespace {

enum Scope { kWhole = 0, kMain = 1, kNotes = 2 };

// Record names: vol<volume slot>\<page number>.htm, both at least 4 digits.
std::string RecordName(std::uint32_t volumeSlot, std::uint32_t pageNo) {
    char name[32];
    std::snprintf(name, sizeof name, "vol%04u\\%04u.htm", volumeSlot, pageNo);
    return name;
}

}  // namespace

CorpusBuilder::CorpusBuilder(const std::string& dir, std::string variantTable,
                             std::uint64_t blockCapacity)
    : m_dir(dir),
      m_variantTable(std::move(variantTable)),
      m_groups(m_variantTable),
      m_store(dir + "/Index"),
      m_index{PostingsWriter(dir + "/Index", blockCapacity),
              PostingsWriter(dir + "/Index_content", blockCapacity),
              PostingsWriter(dir + "/Index_desc", blockCapacity)} {
    for (auto& members : m_membersInUse)
        members.assign(engine::kCodeCount - engine::kVariantCodeBase, 0);
}

void CorpusBuilder::AddVolume(const SourceVolume& volume) {
    const std::uint32_t firstRecord = m_store.PageCount();
    if (firstRecord + volume.pages.size() > kMaxPages) {
        throw BuildError(kExitBadInput,
                         "the corpus would exceed 4,194,304 pages, the most its index can address");
    }
    const std::uint32_t slot =
        m_catalogue.AddVolume(volume.category, volume.title, volume.volume, firstRecord,
                              static_cast<std::uint32_t>(volume.pages.size()), volume.firstPage);
    for (std::size_t i = 0; i < volume.pages.size(); ++i) {
        const auto pageNo = static_cast<std::uint32_t>(volume.firstPage + i);
        ComposeStoredPage(volume.pages[i], volume.title, volume.volume, pageNo, m_html);
        const std::uint32_t record = m_store.AddPage(RecordName(slot, pageNo), m_html);
        IndexPage(record, volume.pages[i]);
    }
    ++m_counts.volumes;
    m_counts.pages += volume.pages.size();
}

void CorpusBuilder::IndexPage(std::uint32_t record, const SourcePage& page) {
    m_pageCodes.clear();
    m_pageNotes.clear();
    for (const SourceRun& run : page.runs) {
        const std::string_view text = run.text;
        for (std::size_t pos = 0; pos < text.size();) {
            const int code = engine::IndexCodeOf(NextCodePoint(text, pos));
            if (code < 0) continue;
            m_pageCodes.push_back(static_cast<std::uint32_t>(code));
            m_pageNotes.push_back(run.note);
        }
    }
    if (m_pageCodes.size() > kMaxPacked + 1) {
        throw BuildError(kExitBadInput, "a page holds " + std::to_string(m_pageCodes.size()) +
                                            " indexed characters; at most 4,194,304 fit");
    }
    for (auto& keys : m_keys) keys.clear();
    std::uint32_t scopePosition[3] = {0, 0, 0};
    for (std::size_t i = 0; i < m_pageCodes.size(); ++i) {
        const std::uint32_t code = m_pageCodes[i];
        const auto groups = m_groups.GroupsOf(static_cast<int>(code));
        const int partial = m_pageNotes[i] ? kNotes : kMain;
        for (const int scope : {static_cast<int>(kWhole), partial}) {
            const std::uint32_t position = scopePosition[scope]++;
            auto& keys = m_keys[static_cast<std::size_t>(scope)];
            keys.push_back(PostingKey(code, position));
            for (const std::uint32_t group : groups) keys.push_back(PostingKey(group, position));
        }
    }
    for (std::size_t scope = 0; scope < 3; ++scope) {
        auto& keys = m_keys[scope];
        std::sort(keys.begin(), keys.end());
        m_index[scope].AddPage(record, keys.data(), keys.size());
        CountGroupsInUse(scope);
    }
    m_counts.characters += m_pageCodes.size();
    m_counts.noteCharacters += scopePosition[kNotes];
}

void CorpusBuilder::CountGroupsInUse(std::size_t scope) {
    PostingsWriter& index = m_index[scope];
    for (const std::uint32_t code : index.NewCodes()) {
        if (code >= engine::kVariantCodeBase) continue;
        for (const std::uint32_t group : m_groups.GroupsOf(static_cast<int>(code))) {
            std::uint8_t& members = m_membersInUse[scope][group - engine::kVariantCodeBase];
            if (members < 2 && ++members == 2) index.CountStream(group);
        }
    }
}

const PostingsWriter& CorpusBuilder::FullestScope(double growth) const {
    const PostingsWriter* fullest = &m_index[0];
    for (const PostingsWriter& index : m_index) {
        if (index.ProjectedBlocks(growth) > fullest->ProjectedBlocks(growth)) fullest = &index;
    }
    return *fullest;
}

void CorpusBuilder::ShareGroupStreams(PostingsWriter& index) {
    // A variant group of which only one member occurs has exactly that
    // member's postings: it reads the member's blocks instead of a copy.
    std::vector<std::uint32_t> members(engine::kCodeCount, 0);
    std::vector<std::uint32_t> member(engine::kCodeCount, 0);
    for (int code = 0; code < engine::kVariantCodeBase; ++code) {
        if (index.PageCount(static_cast<std::uint32_t>(code)) == 0) continue;
        for (const std::uint32_t group : m_groups.GroupsOf(code)) {
            ++members[group];
            member[group] = static_cast<std::uint32_t>(code);
        }
    }
    for (std::uint32_t group = engine::kVariantCodeBase; group < engine::kCodeCount; ++group) {
        if (members[group] == 1) index.ShareStream(group, member[group]);
    }
}

void CorpusBuilder::Finish() {
    const BuildStamp stamp = NewBuildStamp();
    m_store.Finish(stamp);
    for (auto& index : m_index) {
        ShareGroupStreams(index);
        index.Finish();
    }
    m_catalogue.Write(m_dir + "/kvt.dir");
    FileWriter variants(m_dir + "/yitizi.txt");
    variants.Write(m_variantTable);
    variants.Close();
    WriteManifest(m_dir, stamp);
}

}  // namespace build
