// orvale-build SOURCE.jsonl OUTDIR [--variants FILE] [--no-accelerator]
// orvale-build --accelerate DIR
//
// Builds a complete corpus folder from a JSON Lines source (one volume per
// line), with the accelerator files unless told not to; or adds the
// accelerator files to an existing corpus folder. Exit status: 0 built; 1 a
// file cannot be read or written; 2 bad arguments or bad input (the message
// names the source line). No partial corpus is ever left: the files are
// written into a temporary folder that takes OUTDIR's place only once it is
// complete. That folder, .<OUTDIR name>.build-<pid> beside OUTDIR, is removed
// when the build fails or is interrupted (SIGINT, SIGTERM, SIGHUP; exit status
// 128 + the signal), and a later build of the same OUTDIR removes those of
// killed builds.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <string>

#include "tools/orvale-build/acceleratorwriter.h"
#include "tools/orvale-build/builderror.h"
#include "tools/orvale-build/capacityforecast.h"
#include "tools/orvale-build/corpusbuilder.h"
#include "tools/orvale-build/interruptcleanup.h"
#include "tools/orvale-build/outputfolder.h"
#include "tools/orvale-build/sourcevolume.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw build::BuildError(build::kExitIoFailure, "cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw build::BuildError(build::kExitIoFailure, "cannot read " + path);
    return content.str();
}

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

std::string Millions(std::uint64_t n) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fM", static_cast<double>(n) / 1e6);
    return text;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Accelerate(const std::string& folder) {
    const auto start = Clock::now();
    const build::AcceleratorCounts counts = build::WriteAccelerators(folder);
    std::cerr << "orvale-build: accelerator: " << counts.tables << " tables, " << counts.pairs
              << " pair lists, " << counts.bytes << " bytes in " << SecondsSince(start) << " s"
              << std::endl;
}

void Build(const std::string& sourcePath, const std::string& outDir,
           const std::string& variantsPath, bool accelerate) {
    const auto start = Clock::now();
    std::ifstream source(sourcePath, std::ios::binary);
    if (!source) throw build::BuildError(build::kExitIoFailure, "cannot read " + sourcePath);
    const std::string variants = variantsPath.empty() ? std::string() : ReadWholeFile(variantsPath);

    build::OutputFolder folder(outDir);
    build::CorpusBuilder builder(folder.Path().string(), variants);
    build::SourceVolume volume;
    std::string line;
    std::string error;
    std::uint64_t lineNo = 0;
    std::uint64_t bytesRead = 0;
    std::error_code sizeError;
    const std::uint64_t sourceBytes = std::filesystem::is_regular_file(sourcePath, sizeError)
                                          ? std::filesystem::file_size(sourcePath, sizeError)
                                          : 0;
    build::CapacityForecast forecast(sizeError ? 0 : sourceBytes);
    auto nextReport = start + std::chrono::seconds(5);
    while (std::getline(source, line)) {
        ++lineNo;
        bytesRead += line.size() + 1;
        if (IsBlank(line)) continue;
        try {
            if (!build::ParseSourceVolume(line, volume, error)) {
                throw build::BuildError(build::kExitBadInput, error);
            }
            builder.AddVolume(volume);
        } catch (const build::BuildError& e) {
            if (e.ExitStatus() != build::kExitBadInput) throw;
            throw build::BuildError(e.ExitStatus(),
                                    sourcePath + ":" + std::to_string(lineNo) + ": " + e.what());
        }
        if (const std::string warning = forecast.Check(builder, bytesRead); !warning.empty())
            std::cerr << "orvale-build: warning: " << warning << std::endl;
        if (Clock::now() >= nextReport) {
            const auto& counts = builder.Counts();
            std::cerr << "orvale-build: line " << lineNo << ", " << counts.pages << " pages, "
                      << Millions(counts.characters) << " characters" << std::endl;
            nextReport = Clock::now() + std::chrono::seconds(5);
        }
    }
    if (source.bad()) throw build::BuildError(build::kExitIoFailure, "cannot read " + sourcePath);
    if (builder.Counts().volumes == 0) {
        throw build::BuildError(build::kExitBadInput, sourcePath + ": holds no volume");
    }
    // The last volume and its line may be most of the source: not needed now.
    volume = build::SourceVolume{};
    std::string().swap(line);
    std::cerr << "orvale-build: writing the index files" << std::endl;
    builder.Finish();
    if (accelerate) Accelerate(folder.Path().string());
    folder.Commit();
    const auto& counts = builder.Counts();
    const double seconds = SecondsSince(start);
    std::cerr << "orvale-build: " << counts.volumes << " volumes, " << counts.pages << " pages, "
              << counts.characters << " indexed characters (" << counts.noteCharacters
              << " in annotations) written to " << outDir << " in " << seconds << " s" << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    build::InterruptCleanup::Install();
    CLI::App app{"Builds an Orvale corpus folder from a JSON Lines corpus source.", "orvale-build"};
    std::string sourcePath;
    std::string outDir;
    std::string variantsPath;
    std::string accelerateDir;
    bool noAccelerator = false;
    auto* source =
        app.add_option("SOURCE", sourcePath, "corpus source: one JSON object per line and volume");
    auto* out = app.add_option("OUTDIR", outDir, "corpus folder to create or replace");
    app.add_flag("--no-accelerator", noAccelerator,
                 "leave out the accelerator files (derived data that makes first searches and "
                 "phrases fast)");
    auto* accelerate = app.add_option("--accelerate", accelerateDir,
                                      "add the accelerator files to this existing corpus folder");
    accelerate->excludes(source)->excludes(out);
    app.add_option("--variants", variantsPath,
                   "variant table (one group of hexadecimal code points per line), copied as "
                   "yitizi.txt");
    app.footer(
        "Exit status: 0 built, 1 a file cannot be read or written (or memory ran out), 2 bad "
        "arguments or input, 128 + N interrupted by signal N (the unfinished work folder "
        ".OUTDIR.build-PID beside OUTDIR is removed).\n");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        std::cerr << "orvale-build: " << e.what() << std::endl;
        return 2;
    }
    if (accelerateDir.empty() && (sourcePath.empty() || outDir.empty())) {
        std::cerr << "orvale-build: give SOURCE and OUTDIR, or --accelerate DIR" << std::endl;
        return 2;
    }
    try {
        if (!accelerateDir.empty()) {
            Accelerate(accelerateDir);
        } else {
            Build(sourcePath, outDir, variantsPath, !noAccelerator);
        }
    } catch (const build::BuildError& e) {
        std::cerr << "orvale-build: " << e.what() << std::endl;
        return e.ExitStatus();
    } catch (const std::bad_alloc&) {
        std::cerr << "orvale-build: out of memory" << std::endl;
        return build::kExitIoFailure;
    } catch (const std::exception& e) {
        std::cerr << "orvale-build: " << e.what() << std::endl;
        return build::kExitIoFailure;
    }
    return 0;
}
