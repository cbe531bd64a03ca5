#include "cli/ShellCompletion.h"

#include "cli/BatchOptions.h"

namespace plendo::cli {
namespace {

// Inside single quotes, for every shell.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Joined(const std::vector<std::string>& words, const char* separator = " ") {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : separator) + w;
  return out;
}

constexpr char kHeader[] = "# Completion of plendo-batch's options, written from its option table.\n";

// A zsh _arguments description: brackets and colons have meanings there.
std::string ZshText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '[' || c == ']' || c == ':' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

std::string BashCompletion() {
  std::string values;  // one case per option that takes a value
  std::vector<std::string> names;
  for (const OptionSpec& o : OptionSpecs()) {
    names.push_back(o.name);
    switch (o.value) {
      case OptionValue::None: break;
      case OptionValue::Number: values += "    " + o.name + ") return ;;\n"; break;
      case OptionValue::Choice:
        values += "    " + o.name + ") COMPREPLY=($(compgen -W " + Quoted(Joined(o.choices)) + " -- \"$cur\")); return ;;\n";
        break;
      case OptionValue::Folder: values += "    " + o.name + ") COMPREPLY=($(compgen -d -- \"$cur\")); return ;;\n"; break;
      case OptionValue::File: values += "    " + o.name + ") COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"; break;
    }
  }
  return std::string(kHeader) +
         "_plendo_batch() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
         "  case $prev in\n" +
         values +
         "  esac\n"
         "  if [[ $cur == -* ]]; then\n"
         "    COMPREPLY=($(compgen -W " +
         Quoted(Joined(names)) +
         " -- \"$cur\"))\n"
         "  else\n"
         "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
         "  fi\n"
         "}\n"
         "complete -o filenames -F _plendo_batch plendo-batch\n";
}

std::string ZshCompletion() {
  std::string text = std::string("#compdef plendo-batch\n") + kHeader + "_arguments -s \\\n";
  for (const OptionSpec& o : OptionSpecs()) {
    std::string spec = o.name + "[" + ZshText(o.help) + "]";
    switch (o.value) {
      case OptionValue::None: break;
      case OptionValue::Number: spec += ":number: "; break;
      case OptionValue::Choice: spec += ":value:(" + Joined(o.choices) + ")"; break;
      case OptionValue::Folder: spec += ":folder:_files -/"; break;
      case OptionValue::File: spec += ":file:_files"; break;
    }
    text += "  " + Quoted(spec) + " \\\n";
  }
  return text + "  '*:image file:_files'\n";
}

std::string FishCompletion() {
  std::string text = kHeader;
  for (const OptionSpec& o : OptionSpecs()) {
    const bool is_long = o.name.rfind("--", 0) == 0;
    std::string line = "complete -c plendo-batch " + std::string(is_long ? "-l " : "-s ") +
                       o.name.substr(is_long ? 2 : 1);
    switch (o.value) {
      case OptionValue::None: break;
      case OptionValue::Number: line += " -x"; break;
      case OptionValue::Choice: line += " -x -a " + Quoted(Joined(o.choices)); break;
      case OptionValue::Folder: line += " -x -a '(__fish_complete_directories)'"; break;
      case OptionValue::File: line += " -r -F"; break;
    }
    text += line + " -d " + Quoted(o.help) + "\n";
  }
  return text;
}

}  // namespace plendo::cli
