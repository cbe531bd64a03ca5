#include "cli/BatchOptions.h"

#include <charconv>
#include <functional>
#include <map>
#include <string_view>
#include <stdexcept>

#include "engine/BatchParameters.h"

namespace plendo::cli {
namespace {

using settings::OptionGroup;
using settings::SettingEntry;

std::int32_t ParseNumber(const std::string& option, const std::string& value, std::int32_t low, std::int32_t high) {
  std::int32_t n = 0;
  const char* end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, n);
  if (value.empty() || ptr != end || ec != std::errc() || n < low || n > high)
    throw UsageError(PLENDO_TEXT("plendo-batch", "%1 wants a whole number from %2 to %3, not '%4'"),
                     {option, std::to_string(low), std::to_string(high), value});
  return n;
}

template <typename T>
T Choose(const std::string& option, const std::string& value, const std::vector<std::pair<std::string, T>>& choices) {
  for (const auto& [name, v] : choices)
    if (name == value) return v;
  std::string names;
  for (const auto& [name, unused] : choices) names += (names.empty() ? "" : ", ") + name;
  throw UsageError(PLENDO_TEXT("plendo-batch", "%1 wants one of %2, not '%3'"), {option, names, value});
}

// Options that take a value and options that take none, each with the
// entry of --help that shows it.
using ValueSetter = std::function<void(BatchOptions&, const std::string& option, const std::string& value)>;
using FlagSetter = std::function<void(BatchOptions&)>;

struct HelpLine {
  OptionGroup group;
  std::string spelled;  // "--gamma L", "--exif, --no-exif"
  std::string help;
};

// plendo-batch's own options: the panel's state at a drop rather than settings.
struct CommandLine {
  std::map<std::string, ValueSetter> values;
  std::map<std::string, FlagSetter> flags;
  std::vector<HelpLine> help;
  std::vector<OptionSpec> specs;
};

template <typename T>
std::vector<std::string> Names(const std::vector<std::pair<std::string, T>>& choices) {
  std::vector<std::string> names;
  for (const auto& [name, unused] : choices) names.push_back(name);
  return names;
}

const std::vector<std::pair<std::string, engine::SizeSide>> kSides = {
    {"long", engine::SizeSide::LongSide}, {"width", engine::SizeSide::Width}, {"height", engine::SizeSide::Height}};
const std::vector<std::pair<std::string, std::int32_t>> kTypes = {
    {"all", -1},
    {"bmp", settings::kTypeBmp},
    {"jpeg", settings::kTypeJpeg},
    {"gif", settings::kTypeGif},
    {"png", settings::kTypePng},
    {"tiff", settings::kTypeTiff},
    {"wmf", settings::kTypeWmf},
    {"emf", settings::kTypeEmf},
    {"ico", settings::kTypeIcon},
    {"heif", settings::kTypeHeif},
    {"avif", settings::kTypeAvif},
    {"webp", settings::kTypeWebp},
    {"jxl", settings::kTypeJxl}};

const SettingEntry& EntryFor(const char* key);

// "150k" (KiB), "2M" (MiB) or a number of bytes, as whole KiB (bytes round
// down, so the limit is never loosened); 0 means no limit.
std::int32_t ParseFileSizeKiB(const std::string& option, const std::string& value) {
  const auto fail = [&]() -> std::int32_t {
    throw UsageError(PLENDO_TEXT("plendo-batch",
                                 "%1 wants a size such as 150k, 2M or a number of bytes from 1024, or 0 for none, "
                                 "not '%2'"),
                     {option, value});
  };
  std::uint64_t n = 0;
  const char* end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, n);
  if (value.empty() || ec != std::errc() || ptr == value.data()) return fail();
  const std::string unit(ptr, end);
  std::uint64_t kib = 0;
  if (unit.empty()) {
    if (n != 0 && n < 1024) return fail();
    kib = n / 1024;
  } else if (unit == "k" || unit == "K") {
    kib = n;
  } else if (unit == "m" || unit == "M") {
    if (n > (std::uint64_t{1} << 31)) return fail();
    kib = n * 1024;
  } else {
    return fail();
  }
  if (kib > 0x7FFFFFFF) return fail();
  return static_cast<std::int32_t>(kib);
}

void AddPanelOptions(CommandLine& c) {
  c.values["--size"] = [](BatchOptions& o, const std::string& opt, const std::string& v) {
    // As the size box takes it; the text becomes part of the names.
    if (!engine::ParseSizeChoice(false, v).Valid())
      throw UsageError(PLENDO_TEXT("plendo-batch", "%1 wants a whole number of pixels from 1 to 2147483647, not '%2'"),
                       {opt, v});
    o.size_text = v;
  };
  c.flags["--actual-size"] = [](BatchOptions& o) { o.size_text = kActualSizeText; };
  c.values["--side"] = [](BatchOptions& o, const std::string& opt, const std::string& v) {
    o.side = Choose<engine::SizeSide>(opt, v, kSides);
  };
  c.values["--out"] = [](BatchOptions& o, const std::string& opt, const std::string& v) {
    if (v.empty()) throw UsageError(PLENDO_TEXT("plendo-batch", "%1 wants a folder"), {opt});
    o.out_dir = v;
  };
  c.values["--type"] = [](BatchOptions& o, const std::string& opt, const std::string& v) {
    o.type = Choose<std::int32_t>(opt, v, kTypes);
  };
  c.values["--settings"] = [](BatchOptions& o, const std::string& opt, const std::string& v) {
    if (v.empty()) throw UsageError(PLENDO_TEXT("plendo-batch", "%1 wants a file"), {opt});
    o.settings_file = v;
  };
  c.values["--max-file-size"] = [](BatchOptions& o, const std::string& opt, const std::string& v) {
    o.settings.push_back({&EntryFor("MaxFileKB"), ParseFileSizeKiB(opt, v)});
  };
  c.flags["--recursive"] = c.flags["-r"] = [](BatchOptions& o) { o.recursive = true; };
  c.values["--files-from"] = [](BatchOptions& o, const std::string& opt, const std::string& v) {
    if (v.empty()) throw UsageError(PLENDO_TEXT("plendo-batch", "%1 wants a file, or - for the standard input"), {opt});
    o.files_from = v;
  };
  c.flags["--null"] = c.flags["-0"] = [](BatchOptions& o) { o.null_separated = true; };
  c.flags["--dry-run"] = [](BatchOptions& o) { o.dry_run = true; };
  c.flags["--quiet"] = c.flags["-q"] = [](BatchOptions& o) { o.quiet = true; };
  c.flags["--verbose"] = c.flags["-v"] = [](BatchOptions& o) { o.verbose = true; };
  c.flags["--help"] = c.flags["-h"] = [](BatchOptions& o) { o.help = true; };
  c.flags["--version"] = [](BatchOptions& o) { o.version = true; };
  std::string types;
  for (const auto& name : Names(kTypes)) types += (types.empty() ? "" : "|") + name;
  c.help.insert(c.help.end(),
                {{OptionGroup::Size, "--size N",
                  PLENDO_TEXT("plendo-batch", "the chosen side gets N pixels")},
                 {OptionGroup::Size, "--actual-size",
                  PLENDO_TEXT("plendo-batch", "keep each image's own size")},
                 {OptionGroup::Size, "--side long|width|height",
                  PLENDO_TEXT("plendo-batch", "which side N applies to (default: the panel's choice)")},
                 {OptionGroup::Output, "--out DIR",
                  PLENDO_TEXT("plendo-batch", "write into DIR (it must exist)")},
                 {OptionGroup::Input, "--type " + types,
                  PLENDO_TEXT("plendo-batch", "convert every file, or only files with that type's extensions")},
                 {OptionGroup::Input, "-r, --recursive",
                  PLENDO_TEXT("plendo-batch",
                              "convert the files below a FILE that is a folder, in name order, files before "
                              "folders (hidden entries, links to folders and files not named as pictures are "
                              "passed by); with --out their outputs keep the folder's tree below DIR")},
                 {OptionGroup::Input, "--files-from LIST",
                  PLENDO_TEXT("plendo-batch",
                              "also convert the files named in LIST, one a line (- reads the standard input)")},
                 {OptionGroup::Input, "-0, --null",
                  PLENDO_TEXT("plendo-batch", "the names in LIST end in NUL bytes, as find's print0 writes them")},
                 {OptionGroup::Other, "--dry-run",
                  PLENDO_TEXT("plendo-batch", "print each source and the output it would give, write nothing")},
                 {OptionGroup::Other, "-q, --quiet",
                  PLENDO_TEXT("plendo-batch", "print only failures and the count")},
                 {OptionGroup::Other, "-v, --verbose",
                  PLENDO_TEXT("plendo-batch", "also print each output's pixel size, bytes and time")},
                 {OptionGroup::Other, "--settings FILE",
                  PLENDO_TEXT("plendo-batch", "read the settings from FILE instead")},
                 {OptionGroup::Other, "-h, --help",
                  PLENDO_TEXT("plendo-batch", "show this help")},
                 {OptionGroup::Other, "--version",
                  PLENDO_TEXT("plendo-batch", "show the version")}});
  const auto help = [&c](const std::string& spelled) {
    for (const HelpLine& line : c.help)
      if (line.spelled.rfind(spelled, 0) == 0) return line.help;
    throw std::logic_error("no help line for " + spelled);
  };
  c.specs.insert(c.specs.end(), {{"--size", OptionValue::Number, {}, help("--size")},
                                 {"--actual-size", OptionValue::None, {}, help("--actual-size")},
                                 {"--side", OptionValue::Choice, Names(kSides), help("--side")},
                                 {"--out", OptionValue::Folder, {}, help("--out")},
                                 {"--type", OptionValue::Choice, Names(kTypes), help("--type")},
                                 {"-r", OptionValue::None, {}, help("-r,")},
                                 {"--recursive", OptionValue::None, {}, help("-r,")},
                                 {"--files-from", OptionValue::File, {}, help("--files-from")},
                                 {"--null", OptionValue::None, {}, help("-0,")},
                                 {"--dry-run", OptionValue::None, {}, help("--dry-run")},
                                 {"-q", OptionValue::None, {}, help("-q,")},
                                 {"--quiet", OptionValue::None, {}, help("-q,")},
                                 {"-v", OptionValue::None, {}, help("-v,")},
                                 {"--verbose", OptionValue::None, {}, help("-v,")},
                                 {"--settings", OptionValue::File, {}, help("--settings")},
                                 {"-h", OptionValue::None, {}, help("-h,")},
                                 {"--help", OptionValue::None, {}, help("-h,")},
                                 {"--version", OptionValue::None, {}, help("--version")}});
  c.help.push_back({OptionGroup::Output, "--max-file-size SIZE",
                    PLENDO_TEXT("plendo-batch", "largest output file: 150k, 2M or bytes (0: no limit); lossy formats "
                                                "lower their quality to fit")});
  c.specs.push_back({"--max-file-size", OptionValue::Number, {}, c.help.back().help});
}

// Every settings entry that has an option, as the table spells it.
void AddSettingOptions(CommandLine& c) {
  for (const SettingEntry& e : settings::SettingsTable()) {
    if (!e.HasOption()) continue;
    const settings::CommandOption& opt = e.option;
    if (opt.value_name) {
      c.values[opt.name] = [&e](BatchOptions& o, const std::string& name, const std::string& v) {
        const std::int32_t value =
            e.option.choices.empty() ? ParseNumber(name, v, e.option.low, e.option.high) : Choose(name, v, e.option.choices);
        o.settings.push_back({&e, value});
      };
      c.help.push_back({opt.group, std::string(opt.name) + " " + opt.value_name, opt.help});
      c.specs.push_back({opt.name, opt.choices.empty() ? OptionValue::Number : OptionValue::Choice,
                         Names(opt.choices), opt.help});
      continue;
    }
    c.flags[opt.name] = [&e](BatchOptions& o) { o.settings.push_back({&e, 1}); };
    c.specs.push_back({opt.name, OptionValue::None, {}, opt.help});
    std::string spelled = opt.name;
    if (opt.off_name) {
      c.flags[opt.off_name] = [&e](BatchOptions& o) { o.settings.push_back({&e, 0}); };
      c.specs.push_back({opt.off_name, OptionValue::None, {}, std::string("the opposite of ") + opt.name});
      spelled += std::string(", ") + opt.off_name;
    }
    c.help.push_back({opt.group, spelled, opt.help});
  }
}

const CommandLine& Options() {
  static const CommandLine options = [] {
    CommandLine c;
    AddPanelOptions(c);
    AddSettingOptions(c);
    return c;
  }();
  return options;
}

const SettingEntry& EntryFor(const char* key) {
  for (const SettingEntry& e : settings::SettingsTable())
    if (std::string_view(e.key) == key) return e;
  throw std::logic_error(std::string("no settings entry ") + key);
}

// How many bytes of `text` fill at most `width` columns: up to its last
// space that fits, or where a wide character would cross the edge when
// there is none (Japanese is broken between any two characters).
std::size_t LineEnd(std::string_view text, std::size_t width) {
  std::size_t columns = 0, space = std::string_view::npos, i = 0;
  for (; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t wide = byte < 0x80 ? 1 : 2;
    if (columns + wide > width) break;
    if (text[i] == ' ') space = i;
    columns += wide;
  }
  if (i == text.size()) return i;
  return space != std::string_view::npos && space > 0 ? space : i;
}

// "  --name VALUE        help", the help wrapped at 79 columns; a long name
// puts the help on the next line.
void AppendHelpLine(std::string& out, const std::string& spelled, const std::string& help) {
  constexpr std::size_t kColumn = 24;
  constexpr std::size_t kWidth = 79;
  out += "  " + spelled;
  std::size_t at = 2 + spelled.size();
  if (at + 2 > kColumn) {
    out += '\n';
    at = 0;
  }
  std::string_view rest = help;
  while (!rest.empty()) {
    const std::size_t end = LineEnd(rest, kWidth - kColumn);
    out += std::string(kColumn - at, ' ') + std::string(rest.substr(0, end)) + '\n';
    at = 0;
    rest.remove_prefix(end);
    if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  }
  if (help.empty()) out += '\n';
}

}  // namespace

BatchOptions ParseBatchOptions(const std::vector<std::string>& args) {
  const CommandLine& options = Options();
  BatchOptions o;
  bool options_over = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_over || arg.empty() || arg[0] != '-' || arg == "-") {
      o.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_over = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    if (const auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    }
    if (const auto flag = options.flags.find(name); flag != options.flags.end()) {
      if (value) throw UsageError(PLENDO_TEXT("plendo-batch", "%1 takes no value"), {name});
      flag->second(o);
      continue;
    }
    const auto setter = options.values.find(name);
    if (setter == options.values.end()) throw UsageError(PLENDO_TEXT("plendo-batch", "unknown option %1"), {name});
    if (!value) {
      if (i + 1 >= args.size()) throw UsageError(PLENDO_TEXT("plendo-batch", "%1 wants a value"), {name});
      value = args[++i];
    }
    setter->second(o, name, *value);
    // Into a folder or beside the sources: the later of --out and --beside wins.
    if (name == "--out") o.settings.push_back({&EntryFor("OutOrigDir"), 0});
  }
  return o;
}

BatchJob MakeBatchJob(const BatchJob& stored, const BatchOptions& o) {
  BatchJob job = stored;
  if (o.size_text) job.size_text = *o.size_text;
  if (o.side) job.side = *o.side;
  if (o.out_dir) job.wo_path = *o.out_dir;
  for (const SettingOverride& s : o.settings) settings::SetFromOption(*s.entry, s.value, job.app);
  if (o.type) {
    job.app.XQTMode = *o.type < 0 ? 0 : 1;
    if (*o.type >= 0) job.app.XQTExt = *o.type;
  }

  if (job.size_text.empty())
    throw UsageError(
        PLENDO_TEXT("plendo-batch", "no size: give --size N or --actual-size (the settings file names none)"));
  if (!job.app.OutOrigDir && job.wo_path.empty())
    throw UsageError(
        PLENDO_TEXT("plendo-batch", "no output folder: give --out DIR or --beside (the settings file names none)"));
  return job;
}

const std::vector<OptionSpec>& OptionSpecs() { return Options().specs; }

std::string HelpText(Language language) {
  std::string text =
      "Usage: plendo-batch [options] FILE...\n"
      "       plendo-batch [options] -r FOLDER...\n"
      "       plendo-batch [options] --files-from LIST\n\n" +
      Say(language, PLENDO_TEXT("plendo-batch",
                                "Converts each FILE to a JPEG (or a PNG, WebP, AVIF or JPEG XL) of the chosen\n"
                                "pixel size, as the Plendo panel does with files dropped on it. Every option "
                                "defaults to the panel's settings\n"
                                "file, $XDG_CONFIG_HOME/plendo/plendo.ENV (plendo.ENV beside the programs for a\n"
                                "build or a portable copy); plendo-batch never writes that file.\n"));
  const std::pair<OptionGroup, const char*> groups[] = {{OptionGroup::Size, PLENDO_TEXT("plendo-batch", "Size")},
                                                        {OptionGroup::Output, PLENDO_TEXT("plendo-batch", "Output")},
                                                        {OptionGroup::Corrections, PLENDO_TEXT("plendo-batch", "Corrections")},
                                                        {OptionGroup::Input, PLENDO_TEXT("plendo-batch", "Input")},
                                                        {OptionGroup::Other, PLENDO_TEXT("plendo-batch", "Other")}};
  for (const auto& [group, title] : groups) {
    text += "\n" + Say(language, title) + "\n";
    for (const HelpLine& line : Options().help)
      if (line.group == group) AppendHelpLine(text, line.spelled, Say(language, line.help.c_str()));
  }
  text += "\n" + Say(language, PLENDO_TEXT("plendo-batch",
                                           "Prints the path of each file written, or the reason a file was not, then the\n"
                                           "count; when a file was skipped or failed, a line counting written, skipped and\n"
                                           "failed files comes before it. Two files of one run that would get the same\n"
                                           "output name never replace each other: the later one is written as NAME_2.EXT,\n"
                                           "NAME_3.EXT and so on; an output left by an earlier run is replaced or kept as\n"
                                           "--overwrite or --skip says. Exit status: 0 when no file failed, 1 when some\n"
                                           "did, 2 for a usage error. Messages follow the locale (LC_ALL, LC_MESSAGES,\n"
                                           "LANG, LANGUAGE): Japanese under ja_*, English otherwise; scripts that read\n"
                                           "them set LC_ALL=C. The paths printed are the same in every language.\n")) +
          "\n" + Say(language, PLENDO_TEXT("plendo-batch", "Examples:")) + "\n" +
          "  plendo-batch --size 640 --out resized photos/*.jpg\n"
          "  plendo-batch --size 1920 --no-enlarge -r --out resized DCIM\n"
          "  find . -name '*.png' -print0 | plendo-batch --size 800 --beside --files-from - -0\n";
  return text;
}

}  // namespace plendo::cli
