#include "panel/recentkeywords.h"

#include <algorithm>

namespace panel {

void RecentKeywords::Load(const std::vector<std::u16string>& stored) {
    m_items.clear();
    for (const std::u16string& keyword : stored) {
        if (m_items.size() >= m_limit) break;
        if (keyword.empty() || std::find(m_items.begin(), m_items.end(), keyword) != m_items.end())
            continue;
        m_items.push_back(keyword);
    }
}

void RecentKeywords::Add(const std::u16string& keyword) {
    if (keyword.empty()) return;
    Remove(keyword);
    m_items.insert(m_items.begin(), keyword);
    if (m_items.size() > m_limit) m_items.resize(m_limit);
}

bool RecentKeywords::Remove(const std::u16string& keyword) {
    const auto it = std::find(m_items.begin(), m_items.end(), keyword);
    if (it == m_items.end()) return false;
    m_items.erase(it);
    return true;
}

}  // namespace panel
