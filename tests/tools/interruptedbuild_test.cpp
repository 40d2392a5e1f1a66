// orvale-build interrupted: SIGINT and SIGTERM remove the build's work
// folder; the work folder of a build killed outright is removed by the next
// build of the same OUTDIR, and nothing else beside OUTDIR is touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/program.h"

namespace toolstest {
namespace {

namespace fs = std::filesystem;

const std::string kLine =
    R"({"category": "c", "title": "t", "volume": "v", "pages": [{"runs": ["甲"]}]})"
    "\n";

std::set<std::string> Entries(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A process id that no process has: a child that has ended and been reaped.
pid_t GonePid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

// Starts orvale-build reading its source from a FIFO and waits until its work
// folder exists, the build blocked on the next source line.
struct RunningBuild {
    pid_t pid = -1;
    int source = -1;
    fs::path workFolder;

    explicit RunningBuild(const TempDir& dir) {
        const fs::path fifo = dir / "source.fifo";
        ::mkfifo(fifo.c_str(), 0600);
        const std::string out = (dir / "out").string();
        pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 1);
            ::dup2(null, 2);
            const std::string exe = BuildExe();
            ::execl(exe.c_str(), exe.c_str(), fifo.c_str(), out.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        source = ::open(fifo.c_str(), O_WRONLY);
        [[maybe_unused]] const ssize_t n = ::write(source, kLine.data(), kLine.size());
        workFolder = dir / (".out.build-" + std::to_string(pid));
        for (int i = 0; i < 1000 && !fs::exists(workFolder); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    // Sends the signal and returns how the build ended (exit status, or
    // 1000 + signal when it was killed by it).
    int Stop(int signal) {
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(source);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }
};

TEST(InterruptedBuild, SigintAndSigtermRemoveTheWorkFolder) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        RunningBuild build(dir);
        ASSERT_TRUE(fs::exists(build.workFolder));
        EXPECT_EQ(build.Stop(signal), 128 + signal);
        EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"source.fifo"});
    }
}

TEST(InterruptedBuild, TheNextBuildRemovesTheFoldersOfKilledBuilds) {
    TempDir dir;
    RunningBuild killed(dir);
    ASSERT_TRUE(fs::exists(killed.workFolder));
    EXPECT_EQ(killed.Stop(SIGKILL), 1000 + SIGKILL);
    ASSERT_TRUE(fs::exists(killed.workFolder));

    const std::string gone = std::to_string(GonePid());
    const std::string alive = std::to_string(::getpid());
    // Left by builds whose process is gone: removed.
    fs::create_directory(dir / (".out.build-" + gone + ".old"));
    // Everything else stays: a running process's folder, another target's,
    // names that are not a process id, a plain file and a link.
    const std::vector<std::string> kept = {".out.build-" + alive, ".other.build-" + gone,
                                           ".out.build-12x", ".out.build-", "out.build-" + gone};
    for (const std::string& name : kept) fs::create_directory(dir / name);
    WriteFile(dir / (".out.build-" + std::to_string(GonePid())), "a file");
    fs::create_directory(dir / "elsewhere");
    WriteFile(dir / "elsewhere" / "mine", "x");
    fs::create_directory_symlink(dir / "elsewhere",
                                 dir / (".out.build-" + std::to_string(GonePid())));

    WriteFile(dir / "source.jsonl", kLine);
    const RunResult run =
        RunProgram(BuildExe(), {(dir / "source.jsonl").string(), (dir / "out").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(fs::exists(killed.workFolder));
    EXPECT_FALSE(fs::exists(dir / (".out.build-" + gone + ".old")));
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
    EXPECT_EQ(Entries(dir.Path()).size(),
              kept.size() + 6);  // + file, link, elsewhere, fifo, source, out
    EXPECT_TRUE(fs::exists(dir / "elsewhere" / "mine"));
}

}  // namespace
}  // namespace toolstest
