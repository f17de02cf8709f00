#pragma once

// The contrasts each run of a study checks: those of its own contrasts file (a manifest's
// `contrasts` column) or else the study's (--contrast, --contrasts), the ones whose field cells
// the run's fields fill (check/contrast_expression.h). A run that gets none checks none.

#include <string>
#include <utility>
#include <vector>

#include "check/contrast_expression.h"
#include "design/file_system.h"

namespace duv {

// Throws std::runtime_error unless every field column of `table`, read from `fileName`, is one
// of the study's `fields`:
//   contrasts.tsv: column "ses" names no field of the study (it has sub, task, run)
//   contrasts.tsv: column "ses" names no field of the study (it has none)
void checkContrastFields(const ContrastTable& table, const std::string& fileName,
                         const std::vector<std::string>& fields);

// Reads the contrasts file at `path` through `files` (at most kContrastsLimit bytes) and checks
// its field columns against `fields`. Throws as readBoundedFile, readContrastTable and
// checkContrastFields.
ContrastTable readStudyContrasts(const std::string& path, const std::vector<std::string>& fields,
                                 FileSystem& files);

// The study's contrasts: `options` (every run's), then `table`'s. Throws std::runtime_error
// `contrast "F-H" is asked for twice` when two of one name may apply to one run.
std::vector<Contrast> joinedContrasts(std::vector<Contrast> options, const ContrastTable& table);

// The contrasts of `contrasts`, in order, that apply to a run with `fields`: those whose every
// field value the run has.
std::vector<Contrast> contrastsOfRun(
    const std::vector<Contrast>& contrasts,
    const std::vector<std::pair<std::string, std::string>>& fields);

}  // namespace duv
