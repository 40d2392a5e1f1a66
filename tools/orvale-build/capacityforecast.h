// CapacityForecast: tells the user early in a long build when the postings
// are likely to pass the index format's capacity. The builder refuses a
// build only once that is certain, which for a source just over the limit
// is near its end; from the first hundredth of the source on, this
// forecasts each scope's blocks as if the rest were like what came so far
// and gives one warning when the fullest comes within 10 % of the capacity:
// early forecasts run low (characters and variant groups that first occur
// later are not in them yet; at full scale, 5 % low at the first hundredth).
#pragma once

#include <cstdint>
#include <string>

#include "tools/orvale-build/corpusbuilder.h"

namespace build {

class CapacityForecast {
  public:
    // sourceBytes: the size of the whole source; 0 when it is not known (a
    // pipe), and then nothing is forecast.
    explicit CapacityForecast(std::uint64_t sourceBytes) : m_sourceBytes(sourceBytes) {}

    // Call after each volume with the source bytes read so far. Returns the
    // warning the first time there is one to give, else an empty string.
    std::string Check(const CorpusBuilder& builder, std::uint64_t bytesRead);

  private:
    std::uint64_t m_sourceBytes;
    bool m_warned = false;
};

}  // namespace build
