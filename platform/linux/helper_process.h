#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/helper_choice.h"
#include "platform/status.h"

// A helper's process: started in a group of its own with its signals and
// environment set, awaited with a deadline or not, and ended with a grace
// when a signal ends the program.
namespace platform::desktop {

// A file for a helper's output, at descriptor 3 or above: with a standard
// descriptor closed, the file would take its number, and the helper's own
// standard descriptor set up over it would lose what the helper said.
int NewOutputFile();

// Runs the helper (see StartHelper) and waits for it (see AwaitHelper); a
// signal that ends the program ends it here, once the helper is gone.
// Gives the helper's wait status.
Status RunHelper(const DialogHelper& helper, const std::vector<std::string>& arguments, std::optional<int> output,
                 std::optional<int> errors, std::optional<std::chrono::milliseconds> limit, int& wait_status);

}  // namespace platform::desktop
