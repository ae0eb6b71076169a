#include "usage_text.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace orbivane {

namespace {

constexpr std::size_t kWidth = 79;

// The words of `text` after `line`, in lines of at most kWidth columns, each further line after `indent` blanks.
std::string Wrapped(const std::string& text, std::string line, std::size_t indent) {
  std::string out;
  bool words = false;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    if (words && line.size() + 1 + word.size() > kWidth) {
      out += line + "\n";
      line.assign(indent, ' ');
      words = false;
    }
    if (words) line += ' ';
    line += word;
    words = true;
  }
  return out + line + "\n";
}

std::string Label(const OptionText& option) {
  std::string label = option.shortName != nullptr ? std::string(option.shortName) + ", " : "";
  label += option.name;
  if (option.value != nullptr) label += std::string(" ") + option.value;
  return label;
}

// "  --source FILE  The ASTORB source..." with the descriptions in one column.
std::string OptionList(const std::vector<OptionText>& options) {
  std::size_t width = 0;
  for (const OptionText& option : options) width = std::max(width, Label(option).size());
  std::string out;
  for (const OptionText& option : options) {
    std::string label = "  " + Label(option);
    label.resize(width + 4, ' ');
    out += Wrapped(option.description, label, width + 4);
  }
  return out;
}

std::vector<OptionText> RunOptions(const ProgramText& program) {
  std::vector<OptionText> options;
  for (const OptionText& option : program.options) {
    if (!option.alone) options.push_back(option);
  }
  return options;
}

std::string AloneOptions(const ProgramText& program, const char* separator) {
  std::string out;
  for (const OptionText& option : program.options) {
    if (option.alone) out += (out.empty() ? "" : separator) + std::string(option.name);
  }
  return out;
}

std::string Roff(const std::string& text) {
  std::string out = !text.empty() && (text.front() == '.' || text.front() == '\'') ? "\\&" : "";
  for (const char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  return out;
}

// The roff lines of one usage line: names in bold, values in italics, optional options in brackets, those given
// only with the option before them in its brackets.
std::string RoffUsage(const char* program, const CommandText& command) {
  std::string out = ".B " + Roff(program) + (*command.name != '\0' ? " " + Roff(command.name) : "") + "\n";
  const std::vector<OptionText>& options = command.options;
  for (std::size_t i = 0; i < options.size(); ++i) {
    const OptionText& option = options[i];
    const std::string name = Roff(option.name);
    if (option.required) {
      out += ".B " + name + "\n";
      if (option.value != nullptr) out += ".I " + Roff(option.value) + "\n";
      continue;
    }
    if (option.value == nullptr) {
      out += ".RB [ " + name + " ]\n";
      continue;
    }
    const bool closes = i + 1 == options.size() || !options[i + 1].withPrevious;
    out += (option.withPrevious ? ".B " : ".RB [ ") + name + "\n";
    out += (closes ? ".IR " : ".I ") + Roff(option.value) + (closes ? " ]" : "") + "\n";
  }
  return out;
}

std::string RoffOptions(const std::vector<OptionText>& options) {
  std::string out;
  for (const OptionText& option : options) {
    out += ".TP\n";
    if (option.shortName != nullptr) {
      out += ".BR " + Roff(option.shortName) + " \", \" " + Roff(option.name) + "\n";
    } else if (option.value != nullptr) {
      out += ".BI " + Roff(option.name) + " \" " + Roff(option.value) + "\"\n";
    } else {
      out += ".B " + Roff(option.name) + "\n";
    }
    out += Roff(option.description) + "\n";
  }
  return out;
}

// The description and options of a command, as both helps show them.
std::string CommandBody(const CommandText& command) {
  return Wrapped(command.description, "  ", 2) + OptionList(command.options);
}

}  // namespace

std::string UsageLine(const ProgramText& program, const CommandText& command) {
  std::string line = program.name;
  if (*command.name != '\0') line += std::string(" ") + command.name;
  for (const OptionText& option : command.options) {
    const std::string text = option.value != nullptr ? std::string(option.name) + " " + option.value : option.name;
    if (option.withPrevious && line.ends_with(']')) {
      line.insert(line.size() - 1, " " + text);
    } else {
      line += option.required ? " " + text : " [" + text + "]";
    }
  }
  return line;
}

std::string ProgramHelp(const ProgramText& program) {
  std::string out = "Usage:\n";
  for (const CommandText& command : program.commands) out += "  " + UsageLine(program, command) + "\n";
  if (program.commands.empty()) out += "  " + UsageLine(program, {"", "", RunOptions(program)}) + "\n";
  if (!program.commands.empty()) out += "  " + std::string(program.name) + " COMMAND --help\n";
  out += "  " + std::string(program.name) + " " + AloneOptions(program, " | ") + "\n\n";
  if (*program.description != '\0') out += Wrapped(program.description, "", 0) + "\n";
  for (const CommandText& command : program.commands) out += command.name + ("\n" + CommandBody(command)) + "\n";
  return out + "Options:\n" + OptionList(program.options);
}

std::string CommandHelp(const ProgramText& program, const CommandText& command) {
  return "Usage: " + UsageLine(program, command) + "\n\n" + CommandBody(command);
}

const CommandText* FindCommand(const ProgramText& program, const std::string& name) {
  for (const CommandText& command : program.commands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

std::string ManualSynopsis(const ProgramText& program) {
  std::string out = ".SH SYNOPSIS\n";
  for (const CommandText& command : program.commands) out += RoffUsage(program.name, command) + ".br\n";
  if (program.commands.empty()) out += RoffUsage(program.name, {"", "", RunOptions(program)}) + ".br\n";
  if (!program.commands.empty()) out += ".B " + Roff(program.name) + "\n.I COMMAND\n.B \\-\\-help\n.br\n";
  return out + ".B " + Roff(program.name) + "\n.BR " + Roff(AloneOptions(program, " \" | \" ")) + "\n";
}

std::string ManualOptions(const ProgramText& program) {
  std::string out;
  if (!program.commands.empty()) out += ".SH COMMANDS\n";
  for (const CommandText& command : program.commands) {
    out += ".SS " + Roff(command.name) + "\n" + RoffUsage(program.name, command) + ".PP\n" +
           Roff(command.description) + "\n" + RoffOptions(command.options);
  }
  return out + ".SH OPTIONS\n" + RoffOptions(program.options);
}

int ManualPageMain(const ProgramText& program, int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s TEMPLATE OUTPUT VERSION\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1]);
  std::string page;
  for (std::string line; std::getline(in, line);) {
    if (line == "@SYNOPSIS@") {
      page += ManualSynopsis(program);
    } else if (line == "@OPTIONS@") {
      page += ManualOptions(program);
    } else {
      for (std::size_t at; (at = line.find("@PROJECT_VERSION@")) != std::string::npos;) {
        line.replace(at, 17, argv[3]);
      }
      page += line + "\n";
    }
  }
  std::ofstream out(argv[2], std::ios::binary);
  if (!in.eof() || !(out << page) || !out.flush()) {
    std::fprintf(stderr, "%s: cannot make %s from %s\n", argv[0], argv[2], argv[1]);
    return 1;
  }
  return 0;
}

}  // namespace orbivane
