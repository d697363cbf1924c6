// What a conversion driver hands back to the application layer: how it
// ended, the messages to show the user in order, and the files it wrote.
// Drivers show no message themselves; questions (and the pauses that wait
// for OK) reach the user through the platform interface they are given,
// progress through progress::Progress. How a driver is written: see the top
// of convert/job_key_exporter.h.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sw::convert {

enum class Result {
  kDone,       // every output was written and moved into place
  kNothing,    // nothing to do for this input
  kDeclined,   // the user answered No; nothing was changed
  kCancelled,  // the user cancelled; nothing was changed
  kRefused,    // the input or its values cannot be converted; nothing was changed
  kInUse,      // a target is held by another writer; nothing was changed
  kFailed,     // a file could not be read or written; nothing was changed
  kNoBaseDictionary,  // the base dictionary could not be read; nothing was changed
};

struct Outcome {
  Result result = Result::kNothing;
  std::vector<platform::Message> messages;
  std::vector<std::filesystem::path> written;
  // The message the window keeps as its last one after a success.
  std::string summary;

  bool ok() const { return result == Result::kDone; }
  void Say(std::string text, std::string caption, platform::Icon icon) {
    messages.push_back({std::move(text), std::move(caption), icon, platform::Buttons::kOk});
  }
};

}  // namespace sw::convert
