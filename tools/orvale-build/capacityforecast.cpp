#include "tools/orvale-build/capacityforecast.h"

namespace build {

std::string CapacityForecast::Check(const CorpusBuilder& builder, std::uint64_t bytesRead) {
    if (m_warned || m_sourceBytes == 0 || bytesRead == 0 || bytesRead * 100 < m_sourceBytes)
        return {};
    const double growth = static_cast<double>(m_sourceBytes) / static_cast<double>(bytesRead);
    const PostingsWriter& fullest = builder.FullestScope(growth);
    const std::uint64_t blocks = fullest.ProjectedBlocks(growth);
    const std::uint64_t capacity = fullest.Capacity();
    if (blocks * 10 < capacity * 9) return {};
    m_warned = true;
    const std::string need = "at this rate the postings of " + fullest.PostingsFileName() +
                             " will need about " + std::to_string(blocks);
    const std::string remedy =
        " (fewer pages or characters, or a smaller variant table, make room)";
    if (blocks > capacity) {
        return need + " blocks of 4,096 bytes, more than the " + std::to_string(capacity) +
               " the index format holds: the build will likely be refused near its end" + remedy;
    }
    return need + " of the " + std::to_string(capacity) +
           " blocks of 4,096 bytes the index format holds: the build may be refused near its end" +
           remedy;
}

}  // namespace build
