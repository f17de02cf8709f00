#include "cli/design_options.h"

namespace duv::cli {

const char* const kDesignFooter =
    "The design is the one nilearn's first-level model builds (make_first_level_design_matrix, "
    "oversampling 50): each trial type's events convolved with the response model and sampled "
    "at the volumes, columns named <condition>, <condition>_derivative, "
    "<condition>_dispersion or <condition>_delay_<d>, then drift_1, drift_2, ... and constant. "
    "In the .sdm the task columns are main predictors, the drifts and the constant (last) "
    "confounds.\n"
    "Events: a .tsv (tab-separated) or .csv (comma-separated) table with onset and duration "
    "columns (seconds), trial_type and modulation (the amplitude) optional, other columns "
    "ignored. Trial types sort as nilearn sorts them (numbers numerically, text by code point). "
    "Errors: a missing or non-numeric onset, duration or modulation, a negative duration. "
    "Warnings: events without a trial type (left out), identical events (one, their amplitudes "
    "summed), events before --min-onset (clipped) or after the run's end, columns that are 0 "
    "throughout.\n";

void addDesignOptions(CLI::App& command, DesignOptionArguments& arguments) {
  command
      .add_option("--hrf", arguments.hrf,
                  "The response model: glover (default), spm, glover+derivative, spm+derivative, "
                  "glover+derivative+dispersion, spm+derivative+dispersion, fir or none "
                  "(blanks around + allowed, any case)")
      ->type_name("MODEL");
  command
      .add_option("--fir-delays", arguments.firDelays,
                  "With --hrf fir: the delays in volumes, comma-separated (default 0); one column "
                  "<condition>_delay_<d> each")
      ->type_name("D,...");
  command
      .add_option("--drift", arguments.drift,
                  "The drift columns (confounds): cosine (default), polynomial or none")
      ->type_name("MODEL");
  command
      .add_option("--high-pass", arguments.highPass,
                  "With cosine drifts: the cutoff in Hz (0.01); floor(2 n TR HZ) cosines")
      ->type_name("HZ");
  command
      .add_option("--drift-order", arguments.driftOrder, "With polynomial drifts: the degree (1)")
      ->type_name("K");
  command
      .add_option("--slice-time-ref", arguments.sliceTimeReference,
                  "Where in each volume its row is sampled, as a fraction of the repetition time "
                  "(0: its start, default; 0.5: its middle)")
      ->type_name("FRACTION");
  command
      .add_option("--min-onset", arguments.minOnset,
                  "Events count from this many seconds before the first volume (-24); earlier "
                  "ones are clipped to it")
      ->type_name("SECONDS");
  command
      .add_option("--conditions", arguments.conditions,
                  "Only these trial types' columns, comma-separated (in the design's own order)")
      ->type_name("A,B,...");
}

}  // namespace duv::cli
