// A private folder for the files one fuzz process writes, created on first
// use and removed when the process ends normally.
#pragma once

#include <string>
#include <string_view>

namespace fuzz {

// The folder's path; empty when it could not be created.
const std::string& FuzzFolder();

// Replaces <FuzzFolder()>/<name> by bytes; false when it cannot be written.
bool WriteFuzzFile(const std::string& name, std::string_view bytes);
// Removes <FuzzFolder()>/<name> if it exists.
void RemoveFuzzFile(const std::string& name);

}  // namespace fuzz
