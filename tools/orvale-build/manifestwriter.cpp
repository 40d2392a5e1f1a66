#include "tools/orvale-build/manifestwriter.h"

#include <filesystem>
#include <random>

#include "tools/orvale-build/builderror.h"
#include "tools/orvale-build/filewriter.h"
#include "tools/orvale-build/outputfolder.h"

namespace build {

BuildStamp NewBuildStamp() {
    std::random_device random;
    BuildStamp stamp{};
    for (std::uint8_t& byte : stamp) byte = static_cast<std::uint8_t>(random());
    return stamp;
}

std::string StampText(const BuildStamp& stamp) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : stamp) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

void WriteManifest(const std::string& dir, const BuildStamp& stamp) {
    engine::CorpusFolder folder;
    if (!folder.Open(dir)) throw BuildError(kExitIoFailure, "cannot read " + dir);
    engine::Manifest manifest;
    manifest.stamp = StampText(stamp);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (!OutputFolder::IsCorpusFile(name) || name == engine::kManifestName) continue;
        std::uint64_t size = 0;
        std::uint64_t digest = 0;
        const engine::FileHandle file = folder.OpenFile(name, size);
        if (!file.IsOpen() || !engine::FileDigest(file.Get(), size, digest)) {
            throw BuildError(kExitIoFailure, "cannot read " + dir + "/" + name);
        }
        manifest.files[name] = {size, digest};
    }
    if (ec) throw BuildError(kExitIoFailure, "cannot read " + dir);
    FileWriter out(dir + "/" + engine::kManifestName);
    out.Write(engine::ManifestText(manifest));
    out.Close();
}

}  // namespace build
