// The growth-model part of the Create command for a cruise file: the check
// of the cruise's location fields, then the unit and variant dialog, each
// press of its OK running one export and showing its messages.
#pragma once

#include <filesystem>

#include "platform/platform.h"
#include "platform/unit_variant_prompt.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::app {

// How the growth-model export ended.
enum class GrowthModelOutcome {
  kExported,     // the last press of OK wrote its files
  kNoExport,     // the dialog was left without an export
  kNoChoice,     // the last press of OK had no variant or no units
  kRefused,      // the cruise file cannot be exported (location, expansion factors, values)
  kFailed,       // a file could not be read or written; nothing was written
  kInUse,        // an output is held by another program; nothing was written
};

struct GrowthModelJob {
  std::filesystem::path cruise_path;
  std::filesystem::path species_file;  // GROvariantSpecies.mk4 beside the programs
  int current_year = 2000;
  storage::FileSystem* fs = nullptr;
};

GrowthModelOutcome RunGrowthModelExport(platform::Platform& platform, platform::UnitVariantPrompt& prompt,
                                        const GrowthModelJob& job);

}  // namespace sw::app
