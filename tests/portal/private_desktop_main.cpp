// The tests' private desktop for a shell script: starts it, prints the bus
// address on one line, and keeps it until standard input closes.
//   private_desktop [--no-backend] [--no-frontend] [--bind-response N]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "desktop.h"

int main(int argc, char** argv) {
  portaltest::DesktopParts parts;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-backend") == 0) {
      parts.backend = false;
    } else if (std::strcmp(argv[i], "--no-frontend") == 0) {
      parts.frontend = false;
    } else if (std::strcmp(argv[i], "--bind-response") == 0 && i + 1 < argc) {
      parts.bindResponse = static_cast<unsigned>(std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: %s [--no-backend] [--no-frontend] [--bind-response N]\n", argv[0]);
      return 2;
    }
  }
  portaltest::Desktop desktop(parts);
  if (const std::string missing = desktop.Ready(); !missing.empty()) {
    std::fprintf(stderr, "%s\n", missing.c_str());
    return 1;
  }
  std::printf("%s\n", desktop.BusAddress().c_str());
  std::fflush(stdout);
  char drain[64];
  while (read(0, drain, sizeof drain) > 0) {
  }
  return 0;
}
