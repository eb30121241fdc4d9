// fenmark-demo: a working session with the Fenmark add-in in a simulated Outlook.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "demo/session.h"

int main(int argc, char** argv) {
  using fenmark::demo::Session;
  Session::Options options;
  std::string file;
  bool print_script = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Session::PrintHelp(std::cout);
      return 0;
    }
    if (arg == "--outlook12") {
      options.outlook12 = true;
    } else if (arg == "--script") {
      print_script = true;
    } else if (arg == "--width" && i + 1 < argc) {
      const int width = std::atoi(argv[++i]);
      if (width < 40 || width > 1000) {
        std::cerr << "fenmark-demo: --width takes a number from 40 to 1000\n";
        return 2;
      }
      options.width = static_cast<std::size_t>(width);
    } else if (!arg.empty() && arg != "-" && arg.front() == '-') {
      std::cerr << "fenmark-demo: unknown option " << arg << "; try --help\n";
      return 2;
    } else if (file.empty()) {
      file = arg;
    } else {
      std::cerr << "fenmark-demo: only one command file may be given; try --help\n";
      return 2;
    }
  }
  if (print_script) {
    std::cout << Session::DefaultScript();
    return 0;
  }
  std::ifstream in;
  if (!file.empty() && file != "-") {
    errno = 0;
    in.open(file);
    if (!in) {
      std::cerr << "fenmark-demo: cannot read " << file << ": "
                << (errno ? std::strerror(errno) : "unknown error") << "\n";
      return 2;
    }
  }
  try {
    Session session(std::cout, options);
    int failed = 0;
    if (file.empty()) {
      failed = session.PlayDefault();
    } else if (file == "-") {
      const bool interactive = isatty(STDIN_FILENO) != 0;
      if (interactive) std::cout << "Type commands; help lists them, quit ends.\n";
      failed = session.Run(std::cin, !interactive, interactive ? "> " : "");
    } else {
      failed = session.Run(in, true);
    }
    std::cout.flush();
    return failed == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::cerr << "fenmark-demo: " << error.what() << "\n";
    return 1;
  }
}
