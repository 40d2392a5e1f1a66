#include "tests/tools/program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "tests/tools/corpusfiles.h"

namespace toolstest {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvale-tools-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

namespace {

RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::filesystem::path& cwd, const std::string& inPath) {
    TempDir capture;
    const std::string outPath = (capture / "out").string();
    const std::string errPath = (capture / "err").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open(inPath.c_str(), O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    RunResult result;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

}  // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::filesystem::path& cwd) {
    return Run(program, args, cwd, "/dev/null");
}

RunResult RunProgramWithInput(const std::string& program, const std::vector<std::string>& args,
                              const std::string& input) {
    TempDir folder;
    WriteFile(folder / "in", input);
    return Run(program, args, {}, (folder / "in").string());
}

std::string BuildExe() { return ORVALE_BUILD_EXE; }
std::string CliExe() { return ORVALE_CLI_EXE; }

}  // namespace toolstest
