// The settings file's INI parser: parse, read, edit and write back; what
// comes back must parse to the same entries.
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzTarget.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using plendo::platform::IniFile;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  IniFile ini = IniFile::Parse(text);
  for (const std::string& section : ini.SectionNames()) ini.Get(section, "Size");
  ini.Set("Option", "Size", "640");
  const std::string saved = ini.Text();
  const IniFile again = IniFile::Parse(saved);
  // An edit must survive a save and a load.
  if (again.Get("Option", "Size") != std::optional<std::string>("640")) std::abort();
  return 0;
}
