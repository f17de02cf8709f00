#pragma once

// The one seam between design matrices and their files. Every format a design is read from or
// written to is a DesignFormat, defined in a file of its own under design/formats/ and listed
// once in design/design_format.cpp; the layers above choose, read and write designs through the
// functions below and know no format's extension or layout.
//
// How a file's format is chosen: by its extension, compared exactly (".SDM" is none); where
// several formats share the extension, by the file itself: they are asked in the order they
// are registered, and the first that recognizes the file's text (or the sidecar beside it)
// takes it. A format without a recognizer takes every file of its extensions that no format
// before it took, so it is registered after the formats that share its extension.

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/confound_file.h"
#include "design/design_matrix.h"

namespace duv {

class FileSystem;

// A design as read from a file of any format.
struct ReadDesign {
  DesignMatrix matrix;
  // The columns in which leading "n/a" cells became 0, in predictor order (confound tables).
  std::vector<std::string> zeroedColumns;
  // The columns the outliers preset left out (confound tables). Initialized so that formats
  // without any may leave it out of their braces.
  std::vector<LeftOutColumn> leftOutColumns = {};
};

struct DesignFormat {
  std::string_view name;  // as messages name it
  // Without the dot, compared exactly. A written file gets the first.
  std::span<const std::string_view> extensions;
  // Whether the file at `path` is of this format, reading through `files` what it needs to
  // tell (the file's text, a sidecar beside it). Null: every file of its extensions that no
  // format before it took (such a file is not read to choose it).
  bool (*recognizes)(const std::string& path, FileSystem& files) = nullptr;
  // Reads a file's whole text; `path` names the file in messages and in the matrix's fileName;
  // `files` reaches a sidecar beside it. Null for a format that is only written.
  ReadDesign (*read)(std::string_view text, const std::string& path, const ConfoundOptions& options,
                     FileSystem& files) = nullptr;
  // Writes the design as this format's text. Null for a format that is only read.
  void (*write)(const DesignMatrix& design, std::ostream& out) = nullptr;
  // A matrix read keeps the path as its fileName; otherwise its fileName is the converted one
  // (convertedFileName), as for a file of another tool.
  bool keepsPath = false;
  // The confound files of other tools: ConfoundOptions apply to them, and a merge asked for
  // spikes takes head motion from them.
  bool confounds = false;
  // Put in front of the extension of a file written beside a result in this format, so that
  // formats sharing an extension (or files of other packages) are told apart: "_spm" gives
  // "run1_spm.mat".
  std::string_view suffix = {};
};

// The registered formats, each defined in its file in design/formats/ and listed in
// design_format.cpp.
extern const DesignFormat kSdmFormat;
extern const DesignFormat kRtcFormat;
extern const DesignFormat kConfoundTableFormat;
extern const DesignFormat kMotionTextFormat;
// A design as a TSV file, read where a sidecar lies beside it (tsv_design_format.h), and the
// sidecar as a format that is only written, so that a merge writes it beside the TSV.
extern const DesignFormat kTsvDesignFormat;
extern const DesignFormat kTsvSidecarFormat;

// Every registered format, in registration order.
std::span<const DesignFormat* const> designFormats();

// Whether the path ends with a dot and one of the format's extensions.
bool hasExtensionOf(std::string_view path, const DesignFormat& format);

// The format, among `formats`, of the design file at `path` (see the top of this file): null
// when no format that reads reads files of its extension. Files are read through `files` only
// by the recognizers asked, and their errors pass on; and a file that no format
// of its extension recognizes is std::runtime_error "<path>: a .<extension> file of none of the
// formats <reader> reads (<their names, separated by ", ">)".
const DesignFormat* findDesignFormat(const std::string& path,
                                     std::span<const DesignFormat* const> formats,
                                     std::string_view reader, FileSystem& files);

// findDesignFormat among the registered formats. Where none reads the path's extension, throws
// std::runtime_error "<path> is not a file <reader> reads: .sdm, .rtc, .tsv, .txt, .par or .1D"
// (the extensions of every format that reads, in registration order); `reader` names the front
// end ("the tool", "a study").
const DesignFormat& designFormatOf(const std::string& path, std::string_view reader,
                                   FileSystem& files);

// The file a design saved at `path` has in `format` when written beside it: the path with the
// format's suffix and first extension in place of its extension ("run1.sdm" gives "run1.tsv",
// "run1_spm.mat").
std::string pathInFormat(std::string_view path, const DesignFormat& format);

// Reads the design file at `path` in `format` (which reads). Throws FileSystem::readFile's
// errors and the format reader's, which name the file.
ReadDesign readDesign(const std::string& path, const DesignFormat& format,
                      const ConfoundOptions& options, FileSystem& files);

// Replaces the file at `path` with the design in `format`, atomically (writeFile): the previous
// file, if any, is left as it was when writing fails. Throws std::invalid_argument for a
// format that is not written, and writeFile's errors ("Cannot Create file: <path>", IOError
// "Failed writing file: <path>").
void saveDesign(const DesignMatrix& design, const std::string& path, const DesignFormat& format,
                FileSystem& files);
// saveDesign to the disk.
void saveDesign(const DesignMatrix& design, const std::string& path, const DesignFormat& format);

}  // namespace duv
