#include "app/growth_model_command.h"

#include <algorithm>
#include <optional>

#include "convert/growth_model_export.h"

namespace sw::app {

namespace {

void ShowAll(platform::Platform& platform, const convert::Outcome& outcome) {
  for (const auto& message : outcome.messages) platform.ShowMessage(message);
}

}  // namespace

GrowthModelOutcome RunGrowthModelExport(platform::Platform& platform, platform::UnitVariantPrompt& prompt,
                                        const GrowthModelJob& job) {
  if (auto blank = convert::CheckCruiseLocation(job.cruise_path)) {
    platform.ShowMessage(*blank);
    return GrowthModelOutcome::kRefused;
  }
  convert::ExportStart start = convert::StartGrowthModelExport(job.cruise_path);
  if (!start.outcome.ok()) {
    ShowAll(platform, start.outcome);
    return start.outcome.result == convert::Result::kFailed ? GrowthModelOutcome::kFailed
                                                            : GrowthModelOutcome::kRefused;
  }

  GrowthModelOutcome last = GrowthModelOutcome::kNoExport;
  platform::UnitVariantContent content{start.offer.unit_count, start.offer.unit_entries, start.offer.variant_names};
  prompt.RunUnitVariantDialog(content, [&](const platform::UnitVariantChoice& choice) {
    convert::ExportRequest request;
    request.cruise_path = job.cruise_path;
    request.species_file = job.species_file;
    request.units = convert::ChosenUnits(choice.units);
    request.variant_name = choice.variant;
    request.current_year = job.current_year;
    request.fs = job.fs;
    const bool all_units =
        std::find(request.units.begin(), request.units.end(), convert::kAllUnitsEntry) != request.units.end();
    convert::ExportResult result;
    {
      std::optional<platform::WaitCursor> wait;
      if (all_units) wait.emplace(platform);
      result = convert::ExportGrowthModel(request);
    }
    ShowAll(platform, result.outcome);
    switch (result.outcome.result) {
      case convert::Result::kDone: last = GrowthModelOutcome::kExported; break;
      case convert::Result::kFailed: last = GrowthModelOutcome::kFailed; break;
      case convert::Result::kInUse: last = GrowthModelOutcome::kInUse; break;
      default:
        last = request.units.empty() || request.variant_name.empty() ? GrowthModelOutcome::kNoChoice
                                                                     : GrowthModelOutcome::kRefused;
        break;
    }
    return !result.close_dialog;
  });
  return last;
}

}  // namespace sw::app
