// formc: compiles window sources into the program's form data.
//   formc --namespace NS --handlers LIST [--handlers LIST...] --data OUT.bin --source OUT.cpp
//         --header OUT.h --header-name INCLUDE [--depfile OUT.d] SOURCE.json...
// Several handler lists make one table, in the order given.
// Writes nothing and exits with 1 when a source cannot be compiled.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/formc/FormCompiler.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw formc::CompileError(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw formc::CompileError(path + ": cannot be written");
}

// Make's rules: spaces in paths are escaped.
std::string DepPath(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> options;
  std::vector<std::string> handlerLists;
  std::vector<std::string> sources;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--handlers" && i + 1 < argc) {
      handlerLists.push_back(argv[++i]);
      options["handlers"] = handlerLists.back();
    } else if (arg.rfind("--", 0) == 0 && i + 1 < argc) {
      options[arg.substr(2)] = argv[++i];
    } else {
      sources.push_back(arg);
    }
  }
  for (const char* required :
       {"namespace", "handlers", "data", "source", "header", "header-name"}) {
    if (!options.count(required)) {
      std::cerr << "formc: missing --" << required << "\n";
      return 2;
    }
  }
  try {
    std::vector<std::string> handlers;
    for (const std::string& list : handlerLists) {
      for (std::string& name : formc::ParseHandlerList(ReadText(list), list)) {
        if (std::find(handlers.begin(), handlers.end(), name) != handlers.end())
          throw formc::CompileError(list + ": handler '" + name + "' is listed twice");
        handlers.push_back(std::move(name));
      }
    }
    std::vector<formc::SourceFile> files;
    for (const std::string& path : sources) files.push_back({path, ReadText(path)});
    formc::CompiledForms forms = formc::Compile(files, handlers);
    WriteFile(options["data"], std::string(forms.formData.begin(), forms.formData.end()));
    WriteFile(options["header"], formc::GenerateHeader(options["namespace"]));
    WriteFile(options["source"], formc::GenerateSource(options["namespace"], handlers, forms,
                                                       options["data"], options["header-name"]));
    if (options.count("depfile")) {
      std::string rule = DepPath(options["source"]);
      rule.push_back(':');
      for (const std::string& input : forms.inputs) {
        rule.push_back(' ');
        rule.append(DepPath(input));
      }
      rule.push_back('\n');
      WriteFile(options["depfile"], rule);
    }
  } catch (const formc::CompileError& e) {
    std::cerr << "formc: error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
