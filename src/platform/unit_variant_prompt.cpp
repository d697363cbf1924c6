#include "platform/unit_variant_prompt.h"

namespace sw::platform {

void ScriptedUnitVariantPrompt::RunUnitVariantDialog(const UnitVariantContent& content,
                                                     const std::function<bool(const UnitVariantChoice&)>& ok) {
  shown_.push_back(content);
  closed_by_ok_ = false;
  while (!presses_.empty()) {
    UnitVariantChoice choice = std::move(presses_.front());
    presses_.pop_front();
    ++presses_made_;
    if (!ok(choice)) {
      closed_by_ok_ = true;
      return;
    }
  }
}

}  // namespace sw::platform
