// Helpers of the tools tests: a temporary folder removed at the end, file
// writing, and running a program with its output captured.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace toolstest {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// text written `times` times over.
std::string Repeat(const std::string& text, int times);

struct RunResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program with args (no shell), stdin from /dev/null, in folder cwd
// (or the current one when empty).
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::filesystem::path& cwd = {});
// RunProgram with input as its standard input.
RunResult RunProgramWithInput(const std::string& program, const std::vector<std::string>& args,
                              const std::string& input);

// Paths of the programs under test.
std::string BuildExe();
std::string CliExe();

}  // namespace toolstest
