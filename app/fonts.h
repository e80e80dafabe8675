#pragma once

namespace app {

// The windows ask for the Japanese UI font by its Windows names, which fontconfig does not
// know; IPAPGothic has the same metrics. Call once, before any window is made.
void installFontSubstitutions();

} // namespace app
