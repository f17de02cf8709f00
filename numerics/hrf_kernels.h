#pragma once

// The response kernels that task regressors are convolved with, sampled on a fine grid of step
// `dt` (the repetition time over the oversampling), in the form the reference first-level model
// of the Python neuro-imaging tools builds them, quirks included (each noted where it is made).

#include <string>
#include <string_view>
#include <vector>

namespace duv {

enum class HrfModel {
  glover,
  spm,
  gloverDerivative,
  spmDerivative,
  gloverDerivativeDispersion,
  spmDerivativeDispersion,
  fir,
  none
};

// The model named `text`: "glover", "spm", "glover+derivative", "spm+derivative",
// "glover+derivative+dispersion", "spm+derivative+dispersion", "fir" or "none", in any case,
// with blanks allowed around each "+" ("spm + derivative"). Throws std::invalid_argument
// naming the models otherwise.
HrfModel parseHrfModel(std::string_view text);

// The suffixes of one condition's columns under `model`, in column order: "" for the response
// itself, "_derivative", "_dispersion", or "_delay_<d>" per FIR delay.
std::vector<std::string> hrfColumnSuffixes(HrfModel model, const std::vector<int>& firDelays);

// Whether the model's extra columns are made orthogonal to its first one (all but FIR).
bool hrfOrthogonalised(HrfModel model);

// The kernels of `model`, one per column (hrfColumnSuffixes), each sampled at steps dt =
// repetitionTime / oversampling. A response kernel has round(32 / dt) samples of a difference of
// two gamma densities that both start at dt (not 0) and are evaluated on linspace(0, 32, M),
// whose step is 32/(M-1), not dt; each is scaled to unit sum. The time derivative is the
// difference with a copy 0.1 s later, over 0.1; the dispersion derivative the difference with a
// copy of 0.01 wider dispersion, over 0.01 (for glover with an undershoot dispersion of 1, not
// 0.9). FIR delay d: d*oversampling zeros, then oversampling values 1/oversampling. none: one 1
// followed by oversampling-1 zeros. Preconditions: dt > 0, oversampling >= 1, delays >= 0.
std::vector<std::vector<double>> hrfKernels(HrfModel model, double repetitionTime, int oversampling,
                                            const std::vector<int>& firDelays);

}  // namespace duv
