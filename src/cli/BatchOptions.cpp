#include "cli/BatchOptions.h"

#include <charconv>
#include <functional>
#include <map>

namespace plendo::cli {
namespace {

std::int32_t ParseNumber(const std::string& option, const std::string& value, std::int32_t low, std::int32_t high) {
  std::int32_t n = 0;
  const char* end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, n);
  if (value.empty() || ptr != end || ec != std::errc() || n < low || n > high)
    throw UsageError(option + " wants a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not '" + value + "'");
  return n;
}

template <typename T>
T Choose(const std::string& option, const std::string& value, const std::map<std::string, T>& choices) {
  const auto it = choices.find(value);
  if (it != choices.end()) return it->second;
  std::string names;
  for (const auto& [name, unused] : choices) names += (names.empty() ? "" : ", ") + name;
  throw UsageError(option + " wants one of " + names + ", not '" + value + "'");
}

using ValueSetter = std::function<void(BatchOptions&, const std::string& option, const std::string& value)>;
using FlagSetter = std::function<void(BatchOptions&)>;

const std::map<std::string, ValueSetter>& ValueOptions() {
  static const std::map<std::string, ValueSetter> options = {
      {"--size",
       [](BatchOptions& o, const std::string& opt, const std::string& v) {
         // Digits only, as the size box takes them; the text becomes part of the names.
         ParseNumber(opt, v, 1, 2147483647);
         if (v.find_first_not_of("0123456789") != std::string::npos)
           throw UsageError(opt + " wants a whole number of pixels, not '" + v + "'");
         o.size_text = v;
       }},
      {"--side",
       [](BatchOptions& o, const std::string& opt, const std::string& v) {
         o.side = Choose<engine::SizeSide>(
             opt, v,
             {{"long", engine::SizeSide::LongSide}, {"width", engine::SizeSide::Width}, {"height", engine::SizeSide::Height}});
       }},
      {"--out", [](BatchOptions& o, const std::string& opt, const std::string& v) {
         if (v.empty()) throw UsageError(opt + " wants a folder");
         o.out_dir = v;
         o.beside = false;
       }},
      {"--quality", [](BatchOptions& o, const std::string& opt, const std::string& v) { o.quality = ParseNumber(opt, v, 0, 100); }},
      {"--gamma", [](BatchOptions& o, const std::string& opt, const std::string& v) { o.gamma = ParseNumber(opt, v, 0, 3); }},
      {"--sharpness", [](BatchOptions& o, const std::string& opt, const std::string& v) { o.sharpness = ParseNumber(opt, v, 0, 3); }},
      {"--ext",
       [](BatchOptions& o, const std::string& opt, const std::string& v) {
         o.jpeg_ext = Choose<std::int32_t>(opt, v, {{"jpg", 0}, {"jpeg", 1}, {"JPG", 2}, {"JPEG", 3}});
       }},
      {"--type",
       [](BatchOptions& o, const std::string& opt, const std::string& v) {
         o.type = Choose<std::int32_t>(opt, v,
                                       {{"all", -1}, {"bmp", settings::kTypeBmp}, {"jpeg", settings::kTypeJpeg},
                                        {"gif", settings::kTypeGif}, {"png", settings::kTypePng},
                                        {"tiff", settings::kTypeTiff}, {"wmf", settings::kTypeWmf},
                                        {"emf", settings::kTypeEmf}, {"ico", settings::kTypeIcon}});
       }},
      {"--jobs", [](BatchOptions& o, const std::string& opt, const std::string& v) { o.jobs = ParseNumber(opt, v, 1, 64); }},
      {"--settings", [](BatchOptions& o, const std::string& opt, const std::string& v) {
         if (v.empty()) throw UsageError(opt + " wants a file");
         o.settings_file = v;
       }},
  };
  return options;
}

const std::map<std::string, FlagSetter>& FlagOptions() {
  static const std::map<std::string, FlagSetter> options = {
      {"--help", [](BatchOptions& o) { o.help = true; }},
      {"-h", [](BatchOptions& o) { o.help = true; }},
      {"--actual-size", [](BatchOptions& o) { o.size_text = kActualSizeText; }},
      {"--beside", [](BatchOptions& o) { o.beside = true; o.out_dir.reset(); }},
      {"--progressive", [](BatchOptions& o) { o.progressive = true; }},
      {"--no-progressive", [](BatchOptions& o) { o.progressive = false; }},
      {"--exif", [](BatchOptions& o) { o.exif = true; }},
      {"--no-exif", [](BatchOptions& o) { o.exif = false; }},
      {"--mark", [](BatchOptions& o) { o.mark = true; }},
      {"--no-mark", [](BatchOptions& o) { o.mark = false; }},
      {"--auto-effects-off", [](BatchOptions& o) { o.auto_effects_off = true; }},
      {"--no-auto-effects-off", [](BatchOptions& o) { o.auto_effects_off = false; }},
      {"--overwrite", [](BatchOptions& o) { o.overwrite = true; }},
      {"--skip", [](BatchOptions& o) { o.overwrite = false; }},
  };
  return options;
}

}  // namespace

BatchOptions ParseBatchOptions(const std::vector<std::string>& args) {
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
    if (const auto flag = FlagOptions().find(name); flag != FlagOptions().end()) {
      if (value) throw UsageError(name + " takes no value");
      flag->second(o);
      continue;
    }
    const auto setter = ValueOptions().find(name);
    if (setter == ValueOptions().end()) throw UsageError("unknown option " + name);
    if (!value) {
      if (i + 1 >= args.size()) throw UsageError(name + " wants a value");
      value = args[++i];
    }
    setter->second(o, name, *value);
  }
  return o;
}

BatchJob MakeBatchJob(const StoredPanelState& stored, const BatchOptions& o) {
  BatchJob job;
  job.app = stored.app;
  job.size_text = o.size_text.value_or(stored.size_text);
  job.side = o.side.value_or(stored.side);
  job.wo_path = stored.wo_path;
  settings::AppSettings& a = job.app;
  if (o.beside) a.OutOrigDir = *o.beside;
  if (o.out_dir) job.wo_path = *o.out_dir;
  if (o.quality) a.Compress = *o.quality;
  if (o.progressive) a.Progress = *o.progressive;
  if (o.exif) a.ExifCopy = *o.exif;
  if (o.gamma) a.Gamma = *o.gamma;
  if (o.sharpness) a.SharpNess = *o.sharpness;
  if (o.mark) a.AddGSMark = *o.mark;
  if (o.auto_effects_off) a.AutoEffOFF = *o.auto_effects_off;
  if (o.jpeg_ext) a.JPEGExt = *o.jpeg_ext;
  if (o.overwrite) a.OverWrite = *o.overwrite;
  if (o.jobs) a.Jobs = *o.jobs;
  if (o.type) {
    a.XQTMode = *o.type < 0 ? 0 : 1;
    if (*o.type >= 0) a.XQTExt = *o.type;
  }

  if (job.size_text.empty())
    throw UsageError("no size: give --size N or --actual-size (the settings file names none)");
  if (!a.OutOrigDir && job.wo_path.empty())
    throw UsageError("no output folder: give --out DIR or --beside (the settings file names none)");
  return job;
}

std::string HelpText() {
  return R"(Usage: plendo-batch [options] FILE...

Converts each FILE to a JPEG of the chosen pixel size, as the Plendo panel
does with files dropped on it. Every option defaults to the panel's settings
file (plendo.ENV beside the programs); plendo-batch never writes that file.

Size
  --size N              the chosen side gets N pixels
  --actual-size         keep each image's own size
  --side long|width|height
                        which side N applies to (default: the panel's choice)
Output
  --out DIR             write into DIR (it must exist)
  --beside              write beside each source file; existing files are
                        never replaced there
  --overwrite           replace an existing output file in DIR
  --skip                leave an existing output file alone
  --ext jpg|jpeg|JPG|JPEG
                        extension of the output files
  --quality Q           JPEG quality, 0 to 100
  --progressive, --no-progressive
  --exif, --no-exif     carry a JPEG source's EXIF data over
Corrections
  --gamma L             gamma level 0 (none) to 3 (darkest)
  --sharpness L         sharpening level 0 (none) to 3 (strongest)
  --mark, --no-mark     add _g<gamma>s<sharpness> to the output names
  --auto-effects-off, --no-auto-effects-off
                        switch gamma and sharpening off at actual size
Input
  --type all|bmp|jpeg|gif|png|tiff|wmf|emf|ico
                        convert every file, or only files with that type's
                        extensions
Other
  --jobs N              convert N files at once (default: one per core)
  --settings FILE       read the settings from FILE instead
  -h, --help            show this help

Prints the path of each file written, or the reason a file was not, then the
count. Exit status: 0 when no file failed, 1 when some did, 2 for a usage error.

Example:
  plendo-batch --size 640 --out resized photos/*.jpg
)";
}

}  // namespace plendo::cli
