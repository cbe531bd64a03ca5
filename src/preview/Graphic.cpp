#include "preview/Graphic.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "preview/StreamBytes.h"

namespace plendo::preview {
namespace {

[[noreturn]] void RaiseOpenError(const std::filesystem::path& path, const std::string& reason) {
  throw EFOpenError("ファイル \"" + path.string() + "\" を開けません。" + reason);
}

}  // namespace

void TGraphic::LoadFromFile(const std::filesystem::path& path) {
  // Only plain files: opening a FIFO would wait for a writer, and a folder
  // opens but reads nothing.
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec) RaiseOpenError(path, ec.message());
  if (!std::filesystem::is_regular_file(status))
    RaiseOpenError(path, std::filesystem::is_directory(status) ? std::strerror(EISDIR)
                                                               : "通常のファイルではありません");
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file) RaiseOpenError(path, std::strerror(errno != 0 ? errno : EACCES));
  LoadFromStream(file);
}

std::vector<std::uint8_t> ReadRemaining(std::istream& stream) {
  std::vector<std::uint8_t> bytes;
  char chunk[64 * 1024];
  while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0) {
    const auto got = static_cast<std::size_t>(stream.gcount());
    if (bytes.size() + got > kMaxStreamBytes)
      throw EInvalidGraphic("画像ファイルが大きすぎます");
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

}  // namespace plendo::preview
