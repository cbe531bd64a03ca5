#include "exif/FileReplace.h"

#include <cstring>

#include "exif/WideFileStream.h"
#include "platform/AtomicFile.h"

namespace plendo::exif {

EFCreateError::EFCreateError(const std::filesystem::path& path, int error_number)
    : EStreamError("ファイル \"" + FullPath(path) + "\" を作成できません。" + std::strerror(error_number)) {}

void ReplaceFileContents(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  try {
    platform::WriteFileAtomically(path, {data, size}, platform::AtomicWriteMode::Replace,
                                  platform::AtomicWriteSync::Never);
  } catch (const platform::AtomicFileError& e) {
    throw EFCreateError(path, e.ErrorNumber());
  }
}

std::vector<std::uint8_t> ReadFileContents(const std::filesystem::path& path) {
  TWideFileStream stream(path, fmOpenRead);
  const std::int64_t size = stream.Size();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

}  // namespace plendo::exif
