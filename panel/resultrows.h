// Result rows: the hit pages of a search that lie inside the search scope,
// each named by category, title, volume and page number through the
// catalogue tree, sorted by page number.
//
// BuildRows is a free function over the scope node and the index's hit
// arrays; the caller owns the rows (the form keeps them until the next
// search). The names are copies, so rows outlive the catalogue.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "panel/contentsnode.h"

namespace panel {

struct SearchNodeTag {
    std::string category;          // name of the category holding the page
    std::string title;             // name of the title, or empty
    std::string volume;            // name of the volume, or empty
    std::int32_t recordIndex = 0;  // 0-based page record index
    std::int32_t page = 0;         // page number within the volume; 0 when no volume
    std::int32_t hits = 0;         // hit places on the page
};

// How the enclosing title and volume are looked up. Both give the same rows;
// Linear is the plain scan in order, kept for comparison and benchmarks.
enum class RowLookup { Indexed, Linear };

// Replaces rows by one row per entry i of hitRecords whose page record lies
// in the range of scope: named by the scope's category, title and volume
// (for a category scope the first title and the first volume, children in
// order, that hold the page; for a title scope the first volume), page =
// record + 1 - volume docID + volume curFileName, or 0 with an empty volume
// when no volume holds it. hits = hitPlaces[i] (0 when hitPlaces is
// shorter). Rows are sorted by page number, then by record index, then in
// hit order. Returns the sum of the rows' hits. A null scope gives no rows.
// The catalogue's root (wholeCorpus) as scope is the whole corpus: every hit becomes a row,
// named by the category, its title and that title's volume holding it.
// Node lookups use the nodes' range indexes when IndexChildRanges has run.
std::int64_t BuildRows(const ContentsNodeTag* scope, std::span<const std::uint32_t> hitRecords,
                       std::span<const std::uint32_t> hitPlaces, std::vector<SearchNodeTag>& rows,
                       RowLookup lookup = RowLookup::Indexed);

// "全部で %d 頁で、%d 箇所でした。" with the number of rows and hit places;
// when the search met damaged index files, followed by kIncompleteMark.
std::string ResultSummaryText(std::int64_t rowCount, std::int64_t places, bool incomplete = false);

// Marks the summary of a search that met damaged index files.
inline constexpr const char* kIncompleteMark = "（索引の損傷のため不完全）";
// Shown once for a search that met damaged index files.
inline constexpr const char* kDamagedIndexMessage =
    "索引ファイルが損傷しています。検索結果は不完全です。データを作り直してください。";

}  // namespace panel
