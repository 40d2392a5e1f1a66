// CorpusBuilder: turns checked source volumes into the corpus files in
// one folder: the page store (Index-fl.h, Index-fl.cnt), the three scopes'
// indexes (Index, Index_content, Index_desc: -idx.h and -idx.m), the
// catalogue kvt.dir, the variant table yitizi.txt and the manifest
// corpus.id. Volumes are added in source order; every page is written and
// indexed as it arrives, so memory does not grow with the corpus beyond the
// unspilled tail (at most a block) of each character code and scope. Finish
// writes what can only be known at the end. Owns its writers; the folder
// belongs to the caller.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/orvale-build/cataloguewriter.h"
#include "tools/orvale-build/pagestorewriter.h"
#include "tools/orvale-build/postingswriter.h"
#include "tools/orvale-build/sourcevolume.h"
#include "tools/orvale-build/variantgroups.h"

namespace build {

// The most pages a corpus can hold: record indexes are packed numbers.
inline constexpr std::uint64_t kMaxPages = 4194304;

struct BuildCounts {
    std::uint64_t volumes = 0;
    std::uint64_t pages = 0;
    std::uint64_t characters = 0;  // indexed characters of the whole text
    std::uint64_t noteCharacters = 0;
};

class CorpusBuilder {
  public:
    // Creates the output files in dir. variantTable is the verbatim content
    // of the variant table (empty for none); blockCapacity the most blocks
    // a postings file may take (smaller only in tests). Throws BuildError.
    CorpusBuilder(const std::string& dir, std::string variantTable,
                  std::uint64_t blockCapacity = kPostingsBlockCapacity);

    // Writes and indexes the volume's pages and adds its catalogue records.
    // Throws BuildError (bad input) when the catalogue would exceed 9,999
    // records, the corpus 4,194,304 pages, a page 4,194,304 indexed
    // characters or an index entry 65,535 bytes, or as soon as the postings
    // certainly pass the format's capacity; or (I/O) on a write failure.
    void AddVolume(const SourceVolume& volume);

    // The scope whose postings come nearest the capacity if the source grows
    // by the given factor from what came so far.
    const PostingsWriter& FullestScope(double growth) const;

    // Writes the headers, the catalogue, the variant table and, last, the
    // manifest with a new build stamp (also written into the page store).
    void Finish();

    const BuildCounts& Counts() const { return m_counts; }

  private:
    void IndexPage(std::uint32_t record, const SourcePage& page);
    void ShareGroupStreams(PostingsWriter& index);
    void CountGroupsInUse(std::size_t scope);

    std::string m_dir;
    std::string m_variantTable;
    VariantGroups m_groups;
    PageStoreWriter m_store;
    // Scopes in the order of their files: whole text, main text, annotations.
    std::array<PostingsWriter, 3> m_index;
    CatalogueWriter m_catalogue;
    BuildCounts m_counts;
    std::string m_html;
    std::vector<std::uint32_t> m_pageCodes;
    std::vector<bool> m_pageNotes;
    std::array<std::vector<std::uint64_t>, 3> m_keys;
    // Per scope and variant group: how many of its members occur, up to 2.
    std::array<std::vector<std::uint8_t>, 3> m_membersInUse;
};

}  // namespace build
