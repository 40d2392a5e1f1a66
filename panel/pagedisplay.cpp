#include "panel/pagedisplay.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

namespace panel {

namespace {

constexpr const char* kCatalogPageName = "windows.html";
constexpr const char* kResultPageName1 = "windows1.html";
constexpr const char* kResultPageName2 = "windows2.html";

}  // namespace

CPageDisplay::CPageDisplay(engine::CIndex& index, Navigate navigate)
    : m_index(index), m_navigate(std::move(navigate)) {}

CPageDisplay::~CPageDisplay() {
    if (m_folder.empty()) return;
    for (const char* name : {kCatalogPageName, kResultPageName1, kResultPageName2}) {
        ::unlink((m_folder + "/" + name).c_str());
    }
    ::rmdir(m_folder.c_str());
}

bool CPageDisplay::Prepare(const std::string& tempRoot) {
    if (!m_folder.empty()) return true;
    std::string root = tempRoot.empty() ? std::string("/tmp") : tempRoot;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    std::string pattern = root + "/orvale-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) return false;  // mkdtemp makes it 0700
    m_folder = buf.data();
    return true;
}

std::string CPageDisplay::CatalogPageFile() const { return m_folder + "/" + kCatalogPageName; }

std::string CPageDisplay::ResultPageFile(int which) const {
    return m_folder + "/" + (which == 1 ? kResultPageName1 : kResultPageName2);
}

std::string CPageDisplay::AnchorName(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", n);
    return buf;
}

std::int32_t CPageDisplay::AnchorOfHit(std::int32_t i) const {
    if (i >= 0 && static_cast<std::size_t>(i) < m_hitOrder.size()) {
        return m_hitOrder[static_cast<std::size_t>(i)];
    }
    return i;
}

std::vector<std::int32_t> CPageDisplay::AnchorsInReadingOrder(std::string_view html,
                                                              std::int32_t anchors) {
    constexpr std::string_view kOpen = "<a name=\"";
    constexpr std::string_view kClose = "\"></a>";
    std::vector<std::int32_t> order;
    if (anchors <= 0) return order;
    std::vector<bool> seen(static_cast<std::size_t>(anchors), false);
    for (std::size_t at = html.find(kOpen); at != std::string_view::npos;
         at = html.find(kOpen, at + 1)) {
        std::size_t i = at + kOpen.size();
        std::int64_t number = 0;
        const std::size_t digits = i;
        while (i < html.size() && html[i] >= '0' && html[i] <= '9' && number < anchors) {
            number = number * 10 + (html[i] - '0');
            ++i;
        }
        if (i == digits || html.substr(i, kClose.size()) != kClose || number >= anchors) continue;
        if (seen[static_cast<std::size_t>(number)]) continue;
        seen[static_cast<std::size_t>(number)] = true;
        order.push_back(static_cast<std::int32_t>(number));
    }
    // Anchors the scan did not find keep their places after the others.
    for (std::int32_t n = 0; n < anchors; ++n) {
        if (!seen[static_cast<std::size_t>(n)]) order.push_back(n);
    }
    return order;
}

bool CPageDisplay::WriteFile(const std::string& path, std::string_view bytes) const {
    if (m_folder.empty()) return false;
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) ok = false;
    return ok;
}

bool CPageDisplay::ShowCatalogPage(std::int32_t docID, std::int32_t firstPage, bool useFirstPage,
                                   std::int32_t page) {
    if (useFirstPage) page = firstPage;
    if (docID < 1 || page < 0) return false;
    std::int64_t record = 0;
    // A page the volume does not hold shows nothing rather than whatever
    // record the search stopped at.
    if (!m_index.FindPage(static_cast<std::uint32_t>(docID - 1), static_cast<std::uint32_t>(page),
                          record) ||
        record < 0) {
        return false;
    }
    std::string bytes;
    m_lastPageUnreadable = !m_index.ReadPage(static_cast<std::uint32_t>(record), bytes);
    if (m_lastPageUnreadable) return false;
    const std::string path = CatalogPageFile();
    if (!WriteFile(path, bytes)) return false;
    m_shownRecord = record;
    if (m_navigate) m_navigate(path, {});
    m_lastShown = Shown::Catalogue;
    return true;
}

bool CPageDisplay::ShowResultPage(std::uint32_t record, std::u16string_view keyword, int textLayer,
                                  bool useVariants) {
    std::string html;
    const std::int32_t hits = m_index.ComposeHitPage(record, html, keyword, textLayer, useVariants);
    // Composition leaves html empty when the record cannot be read: say so
    // in the view rather than show a blank page.
    m_lastPageUnreadable = html.empty() && PageUnreadable(record);
    if (m_lastPageUnreadable) {
        html = std::string("<html><head><meta charset=\"utf-8\"></head><body><p>") +
               kUnreadablePageMessage + "</p></body></html>";
    }
    return ShowPage(html, hits, {record, std::u16string(keyword), textLayer, useVariants, {}});
}

bool CPageDisplay::PageUnreadable(std::uint32_t record) {
    std::string bytes;
    return m_index.IsLoaded() && !m_index.ReadPage(record, bytes);
}

bool CPageDisplay::ShowComposedPage(std::uint32_t record, std::string_view html,
                                    std::int32_t anchors, std::vector<pages::PositionSpan> marks) {
    // A page composed elsewhere (parallels) comes back from the history with
    // its marks, from the session without them.
    return ShowPage(html, anchors, {record, {}, 0, false, std::move(marks)});
}

bool CPageDisplay::ShowPage(std::string_view html, std::int32_t anchors, ResultPage source) {
    const std::string path = ResultPageFile(m_useFirstResultFile ? 1 : 2);
    if (!WriteFile(path, html)) return false;
    m_shownRecord = source.record;
    m_hitCount = anchors;
    m_currentHit = 0;
    // Set before the view is told, so that whoever listens sees this page.
    m_lastShown = Shown::Result;
    m_resultPage = std::move(source);
    m_hitOrder = AnchorsInReadingOrder(html, anchors);
    if (m_navigate) m_navigate(path, AnchorName(AnchorOfHit(0)));
    m_useFirstResultFile = !m_useFirstResultFile;
    m_currentResultFile = path;
    return true;
}

bool CPageDisplay::CanPrevHit() const { return m_currentHit >= 1; }

bool CPageDisplay::CanNextHit() const { return m_currentHit + 1 < m_hitCount; }

bool CPageDisplay::PrevHit() {
    if (!CanPrevHit()) return false;
    --m_currentHit;
    NavigateToHit();
    return true;
}

bool CPageDisplay::NextHit() {
    if (!CanNextHit()) return false;
    ++m_currentHit;
    NavigateToHit();
    return true;
}

bool CPageDisplay::GoToHit(std::int32_t n) {
    if (n < 0 || n >= m_hitCount || m_currentResultFile.empty()) return false;
    m_currentHit = n;
    NavigateToHit();
    return true;
}

void CPageDisplay::NavigateToHit() {
    if (m_navigate && !m_currentResultFile.empty()) {
        m_navigate(m_currentResultFile, AnchorName(AnchorOfHit(m_currentHit)));
        m_lastShown = Shown::Result;
    }
}

}  // namespace panel
