#pragma once
// Whole-file reads and writes for the suites, and what a folder holds. The
// writers throw when the file cannot be written, so a test never runs on
// with a fixture that is not there.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace plendo::test {

using Bytes = std::vector<std::uint8_t>;

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadBytes(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& text);
std::string ReadText(const std::filesystem::path& path);

// The names in a folder, sorted.
std::vector<std::string> Listing(const std::filesystem::path& folder);
// The files below a folder as paths relative to it ("day1/a.jpg"), sorted.
std::vector<std::string> TreeListing(const std::filesystem::path& folder);

// What a shell command prints on standard output; empty when it cannot run.
std::string RunCommand(const std::string& command);
bool HaveExiftool();

}  // namespace plendo::test
