#include <exception>
#include <iostream>
#include <memory>

#include "Tavelond.h"

int main(int, char**) {
  try {
    auto game = std::make_unique<Tavelond>();
    game->run();
  } catch (const std::exception& e) {
    std::cout << "Error: " << e.what() << '\n' << std::flush;
    return 1;
  }
  return 0;
}
