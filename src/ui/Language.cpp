#include "ui/Language.h"

namespace ui {
namespace {
bool useSimplified = true;
}

bool UseSimplified() { return useSimplified; }
void SetUseSimplified(bool simplified) { useSimplified = simplified; }

} // namespace ui
