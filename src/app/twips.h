#pragma once

namespace tavrino::app {

// Design sizes are in twips; at 96 dpi one pixel is 15 twips.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

} // namespace tavrino::app
