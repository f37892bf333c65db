#include "common/progress.hpp"

namespace pelicard {

void AdvanceProgress(State& s, std::int64_t i) {
    if (i % 100 != 0) return;
    s.ProgressValue += 5;
    if (s.ProgressValue > 100) s.ProgressValue = 0;
    s.window->SetProgress(s.ProgressValue);
}

}  // namespace pelicard
