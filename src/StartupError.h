#pragma once

#include <stdexcept>
#include <string>

// A failure to bring up SDL or the window. Its message is shown to the player
// after "Error: ", and the program ends with status 1.
class StartupError : public std::runtime_error {
 public:
  explicit StartupError(const std::string& message) : std::runtime_error(message) {}
};
