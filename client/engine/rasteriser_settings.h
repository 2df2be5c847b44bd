#pragma once
// How Mesa's software rasteriser (llvmpipe, on machines without a GPU) runs
// the engine's drawing. Mesa reads these when libobs makes its GL context,
// from the environment: call this first thing in main(), before any thread
// exists. A GPU driver ignores them; a value the user set is kept.
namespace zv {

void ChooseRasteriserSettings();

}  // namespace zv
