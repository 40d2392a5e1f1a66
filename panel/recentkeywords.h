// RecentKeywords: the keywords last searched, newest first, at most `limit`
// of them (50 by default), each once. The keyword box offers them in its
// drop-down list and the shell keeps them across sessions; stored lists are
// cleaned on load (empty entries and repeats dropped, cut to the limit).
// No Qt. UI thread only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace panel {

inline constexpr std::size_t kRecentKeywordLimit = 50;
inline constexpr const char* kRecentKeywordsKey = "Reading/RecentKeywords";

class RecentKeywords {
  public:
    explicit RecentKeywords(std::size_t limit = kRecentKeywordLimit) : m_limit(limit) {}

    // Replaces the list with stored, cleaned.
    void Load(const std::vector<std::u16string>& stored);
    // Puts keyword first (moving it when listed already); empty ones are ignored.
    void Add(const std::u16string& keyword);
    // False when keyword is not listed.
    bool Remove(const std::u16string& keyword);
    const std::vector<std::u16string>& Items() const { return m_items; }

  private:
    std::size_t m_limit;
    std::vector<std::u16string> m_items;
};

}  // namespace panel
