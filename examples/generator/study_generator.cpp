#include "examples/generator/study_generator.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "design/confound_table_format.h"
#include "design/sdm_writer.h"
#include "examples/generator/confound_table_text.h"

namespace duv::examples {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRepetitionTime = 2.0;

// Rounded to the six decimals every value is written with, so that the text a file holds is
// the value it holds.
float sixDecimals(double value) { return static_cast<float>(std::round(value * 1e6) / 1e6); }

DesignMatrix emptyMatrix(int predictors, int dataPoints, int firstConfound) {
  DesignMatrix m;
  m.nrOfPredictors.value = predictors;
  m.nrOfDataPoints.value = dataPoints;
  m.firstConfoundPredictor.value = firstConfound;
  const auto count = static_cast<std::size_t>(predictors);
  m.colorRed.assign(count, 255);
  m.colorGreen.assign(count, 255);
  m.colorBlue.assign(count, 255);
  m.predictorNames.assign(count, "");
  m.values.assign(count, std::vector<float>(static_cast<std::size_t>(dataPoints)));
  return m;
}

// Two-gamma haemodynamic response at time t (seconds): peak near 5 s, undershoot near 15 s.
double haemodynamicResponse(double t) {
  if (t <= 0) return 0;
  const double peak = std::pow(t, 5) * std::exp(-t) / 120.0;
  const double undershoot = std::pow(t, 15) * std::exp(-t) / 1307674368000.0;
  return peak - undershoot / 6.0;
}

std::string toString(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// A column of the design: name and values, white.
void appendConfound(std::vector<std::string>& names, std::vector<std::vector<float>>& columns,
                    std::string name, const std::vector<double>& values) {
  names.push_back(std::move(name));
  std::vector<float> column(values.size());
  for (std::size_t t = 0; t < values.size(); ++t) column[t] = sixDecimals(values[t]);
  columns.push_back(std::move(column));
}

// Six realignment parameters as slow random walks, with their derivatives and the squares of
// both: the 24-parameter motion model.
std::vector<std::pair<std::string, std::vector<double>>> motionTerms(int dataPoints,
                                                                     Random& random) {
  const char* const axes[] = {"Translation X", "Translation Y", "Translation Z",
                              "Rotation X",    "Rotation Y",    "Rotation Z"};
  const auto points = static_cast<std::size_t>(dataPoints);
  std::vector<std::pair<std::string, std::vector<double>>> parameters;
  std::vector<std::pair<std::string, std::vector<double>>> derivatives;
  for (std::size_t p = 0; p < 6; ++p) {
    const double step = p < 3 ? 0.05 : 0.03;
    const double drift = (random.uniform() - 0.5) * step / 5;
    std::vector<double> position(points);
    std::vector<double> change(points);
    for (std::size_t t = 1; t < points; ++t) {
      position[t] = position[t - 1] + drift + step * random.normal();
      change[t] = position[t] - position[t - 1];
    }
    parameters.emplace_back(axes[p], std::move(position));
    derivatives.emplace_back(std::string("d ") + axes[p], std::move(change));
  }
  auto terms = parameters;
  terms.insert(terms.end(), derivatives.begin(), derivatives.end());
  for (std::size_t q = 0; q < 12; ++q) {
    std::vector<double> square(points);
    for (std::size_t t = 0; t < points; ++t) square[t] = terms[q].second[t] * terms[q].second[t];
    terms.emplace_back(terms[q].first + "^2", std::move(square));
  }
  return terms;
}

}  // namespace

double Random::uniform() {
  // xorshift64*: fixed, portable.
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return static_cast<double>((state_ * 2685821657736338717ULL) >> 11) * 0x1.0p-53;
}

double Random::normal() {
  const double u = 1.0 - uniform();
  const double v = uniform();
  return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * kPi * v);
}

DesignMatrix taskDesign(int conditions, int dataPoints, Random& random) {
  const int predictors = conditions + 1;
  auto m = emptyMatrix(predictors, dataPoints, predictors);
  m.includesConstant.value = true;
  static const std::int32_t palette[][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                            {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
  // Blocks of 8 to 12 volumes, each condition in turn, with rests of 6 to 10 between them.
  std::vector<std::vector<double>> onsets(
      static_cast<std::size_t>(conditions),
      std::vector<double>(static_cast<std::size_t>(dataPoints)));
  int t = 4;
  for (int block = 0; t < dataPoints; ++block) {
    const int length = 8 + static_cast<int>(random.uniform() * 5);
    auto& boxcar = onsets[static_cast<std::size_t>(block % conditions)];
    for (int k = t; k < t + length && k < dataPoints; ++k) boxcar[static_cast<std::size_t>(k)] = 1;
    t += length + 6 + static_cast<int>(random.uniform() * 5);
  }
  for (int c = 0; c < conditions; ++c) {
    const auto p = static_cast<std::size_t>(c);
    m.predictorNames[p] = "Condition " + std::string(1, static_cast<char>('A' + c));
    m.colorRed[p] = palette[c % 6][0];
    m.colorGreen[p] = palette[c % 6][1];
    m.colorBlue[p] = palette[c % 6][2];
    for (int k = 0; k < dataPoints; ++k) {
      double sum = 0;
      for (int j = 0; j <= k; ++j) {
        sum += onsets[p][static_cast<std::size_t>(j)] *
               haemodynamicResponse((k - j) * kRepetitionTime);
      }
      m.values[p][static_cast<std::size_t>(k)] = sixDecimals(sum / 1.25);
    }
  }
  const auto constant = static_cast<std::size_t>(conditions);
  m.predictorNames[constant] = "Constant";
  m.values[constant].assign(static_cast<std::size_t>(dataPoints), 1.0F);
  return m;
}

DesignMatrix motionParameters(int dataPoints, Random& random, RotationUnit rotations) {
  auto m = emptyMatrix(6, dataPoints, 1);
  const bool radians = rotations == RotationUnit::radians;
  const char* const names[] = {"Translation X [mm]",
                               "Translation Y [mm]",
                               "Translation Z [mm]",
                               radians ? "Rotation X [rad]" : "Rotation X [deg]",
                               radians ? "Rotation Y [rad]" : "Rotation Y [deg]",
                               radians ? "Rotation Z [rad]" : "Rotation Z [deg]"};
  for (std::size_t p = 0; p < 6; ++p) {
    m.predictorNames[p] = names[p];
    m.colorRed[p] = 128;
    m.colorGreen[p] = static_cast<std::int32_t>(40 * p);
    m.colorBlue[p] = 128;
    // Motion is reported relative to the first volume: a random walk from 0 with slow drift.
    const double step = p < 3 ? 0.02 : (radians ? 0.0003 : 0.015);
    const double drift = (random.uniform() - 0.5) * step / 5;
    double position = 0;
    for (int t = 1; t < dataPoints; ++t) {
      position += drift + step * random.normal();
      m.values[p][static_cast<std::size_t>(t)] =
          radians ? static_cast<float>(position) : sixDecimals(position);
    }
  }
  return m;
}

DesignMatrix confounds(const std::vector<std::string>& names, int dataPoints, Random& random) {
  const int count = static_cast<int>(names.size());
  auto m = emptyMatrix(count, dataPoints, 1);
  for (std::size_t p = 0; p < names.size(); ++p) {
    m.predictorNames[p] = names[p];
    const double period = 4 + 40 * random.uniform();
    const double phase = 2 * kPi * random.uniform();
    for (int t = 0; t < dataPoints; ++t) {
      const double wave = std::sin(2 * kPi * t / period + phase);
      m.values[p][static_cast<std::size_t>(t)] = sixDecimals(wave + 0.3 * random.normal());
    }
  }
  return m;
}

void addStudyConfounds(DesignMatrix& design, int predictors, Random& random) {
  const int missing = predictors - design.nrOfPredictors.value;
  if (missing <= 0 || design.nrOfPredictors.value < 1) return;
  const int dataPoints = design.nrOfDataPoints.value;
  const auto points = static_cast<std::size_t>(dataPoints);
  std::vector<std::string> names;
  std::vector<std::vector<float>> columns;
  const auto room = [&] { return missing - static_cast<int>(columns.size()); };

  for (auto& [name, values] : motionTerms(dataPoints, random)) {
    if (room() == 0) break;
    appendConfound(names, columns, name, values);
  }
  // Discrete cosine basis of a 128 s high-pass filter.
  const int cosines = static_cast<int>(2.0 * dataPoints * kRepetitionTime / 128.0);
  for (int k = 1; k <= cosines && room() > 0; ++k) {
    std::vector<double> values(points);
    for (std::size_t t = 0; t < points; ++t) {
      values[t] = std::cos(kPi * k * (2.0 * static_cast<double>(t) + 1) / (2.0 * dataPoints));
    }
    appendConfound(names, columns, "Cosine " + std::to_string(k), values);
  }
  // One spike regressor per 50 volumes, at distinct volumes.
  std::vector<bool> spiked(points, false);
  for (int s = 0; s < dataPoints / 50 && room() > 0; ++s) {
    std::size_t volume = 0;
    do {
      volume = static_cast<std::size_t>(random.uniform() * dataPoints);
    } while (spiked[volume]);
    spiked[volume] = true;
    std::vector<double> values(points, 0.0);
    values[volume] = 1.0;
    appendConfound(names, columns, "Spike " + std::to_string(volume + 1), values);
  }
  // Noise components: smooth random courses of unit size.
  for (int c = 1; room() > 0; ++c) {
    const double smoothness = 0.3 + 0.65 * random.uniform();
    std::vector<double> values(points);
    double level = 0;
    for (std::size_t t = 0; t < points; ++t) {
      level = smoothness * level + random.normal();
      values[t] = level * std::sqrt(1 - smoothness * smoothness);
    }
    appendConfound(names, columns, "Noise component " + std::to_string(c), values);
  }

  // The confounds go before the last predictor, which stays last.
  const auto at = static_cast<std::ptrdiff_t>(design.nrOfPredictors.value - 1);
  design.predictorNames.insert(design.predictorNames.begin() + at, names.begin(), names.end());
  design.values.insert(design.values.begin() + at, columns.begin(), columns.end());
  const auto added = columns.size();
  design.colorRed.insert(design.colorRed.begin() + at, added, 160);
  design.colorGreen.insert(design.colorGreen.begin() + at, added, 160);
  design.colorBlue.insert(design.colorBlue.begin() + at, added, 160);
  if (design.firstConfoundPredictor.value > design.nrOfPredictors.value) {
    design.firstConfoundPredictor.value = design.nrOfPredictors.value;
  }
  design.nrOfPredictors.value = predictors;
}

DesignMatrix brokenDesign(const DesignMatrix& task, Random& random) {
  const int points = task.nrOfDataPoints.value;
  const auto motion = motionParameters(points, random);
  const auto& a = task.values[0];
  const auto& b = task.values[1];
  const auto& c = task.values[2];
  const auto& d = task.values[3];
  std::vector<std::vector<float>> columns{a, b, c, d, std::vector<float>(a.size()), d};
  for (std::size_t t = 0; t < a.size(); ++t) {
    columns[4][t] = sixDecimals(static_cast<double>(a[t]) + static_cast<double>(b[t]));
  }
  const std::vector<std::string> mainNames{"Condition A", "Condition B",    "Condition C",
                                           "Condition D", "Conditions A+B", "Condition D (again)"};
  auto m = emptyMatrix(13, points, 7);
  m.includesConstant.value = true;
  for (std::size_t p = 0; p < 6; ++p) {
    m.predictorNames[p] = mainNames[p];
    m.values[p] = columns[p];
    const std::size_t source = std::min<std::size_t>(p, 3);
    m.colorRed[p] = task.colorRed[source];
    m.colorGreen[p] = task.colorGreen[source];
    m.colorBlue[p] = task.colorBlue[source];
  }
  for (std::size_t p = 0; p < 6; ++p) {
    m.predictorNames[6 + p] = motion.predictorNames[p];
    m.values[6 + p] = motion.values[p];
    m.colorRed[6 + p] = motion.colorRed[p];
    m.colorGreen[6 + p] = motion.colorGreen[p];
    m.colorBlue[6 + p] = motion.colorBlue[p];
  }
  // The head moves along z whenever condition C is shown, with a little jitter.
  auto& z = m.values[8];
  for (std::size_t t = 0; t < z.size(); ++t) {
    z[t] = sixDecimals(0.3 * static_cast<double>(c[t]) + 0.03 * random.normal());
  }
  m.predictorNames[12] = "Constant";
  m.values[12].assign(a.size(), 1.0F);
  return m;
}

std::string compactSdmText(const DesignMatrix& matrix) {
  auto header = matrix;
  header.nrOfDataPoints.value = 0;
  std::ostringstream out;
  writeSdm(header, out);
  std::string text = out.str();
  // Put back the real count: the core writer wrote everything but the rows.
  const std::string zero = "NrOfDataPoints:         0";
  text.replace(text.find(zero), zero.size(),
               "NrOfDataPoints:         " + std::to_string(matrix.nrOfDataPoints.value));
  for (int t = 0; t < matrix.nrOfDataPoints.value; ++t) {
    for (const auto& column : matrix.values) {
      char field[32];
      std::snprintf(field, sizeof field, "%12g",
                    static_cast<double>(column[static_cast<std::size_t>(t)]));
      text += field;
    }
    text += '\n';
  }
  return text;
}

RealignmentMotion realignmentMotion(int dataPoints, Random& random) {
  RealignmentMotion motion(static_cast<std::size_t>(std::max(dataPoints, 0)));
  std::array<double, 6> position{};
  for (auto& volume : motion) {
    for (std::size_t p = 0; p < 6; ++p) {
      position[p] += (p < 3 ? 0.0003 : 0.02) * random.normal();
    }
    volume = position;
  }
  return motion;
}

std::string motionParText(const RealignmentMotion& motion) {
  std::string text;
  for (const auto& volume : motion) {
    for (const double value : volume) text += toString(value) + "  ";
    text += '\n';
  }
  return text;
}

std::string motionRpText(const RealignmentMotion& motion) {
  std::string text;
  for (const auto& volume : motion) {
    for (const auto p : {3U, 4U, 5U, 0U, 1U, 2U}) {
      char field[32];
      std::snprintf(field, sizeof field, "%16.7e", volume[p]);
      text += field;
    }
    text += '\n';
  }
  return text;
}

std::string motion1DText(const RealignmentMotion& motion) {
  std::string text;
  for (const auto& volume : motion) {
    // roll, pitch, yaw about z, x, y; then dS, dL, dP along z, x, y.
    const double values[] = {volume[2] * 180 / kPi,
                             volume[0] * 180 / kPi,
                             volume[1] * 180 / kPi,
                             volume[5],
                             volume[3],
                             volume[4]};
    for (std::size_t k = 0; k < 6; ++k) {
      char field[32];
      std::snprintf(field, sizeof field, "%.4f", values[k]);
      text += (k == 0 ? "" : "  ") + std::string(field);
    }
    text += '\n';
  }
  return text;
}

std::string keyedRtcText(const DesignMatrix& matrix) {
  std::string text = "FileVersion:     2\nType:            DesignMatrix\nNrOfPredictors:  " +
                     std::to_string(matrix.nrOfPredictors.value) +
                     "\nNrOfDataPoints:  " + std::to_string(matrix.nrOfDataPoints.value) + "\n\n";
  for (std::size_t p = 0; p < matrix.predictorNames.size(); ++p) {
    text += p == 0 ? "\"" : " \"";
    text += matrix.predictorNames[p];
    text += '"';
  }
  text += '\n';
  for (int t = 0; t < matrix.nrOfDataPoints.value; ++t) {
    for (std::size_t p = 0; p < matrix.values.size(); ++p) {
      if (p != 0) text += ' ';
      text += toString(matrix.values[p][static_cast<std::size_t>(t)]);
    }
    text += '\n';
  }
  return text;
}

std::string olderRtcText(const DesignMatrix& matrix) {
  std::string text = "NrOfRTCs: " + std::to_string(matrix.nrOfPredictors.value) +
                     "\nNrOfDataPoints: " + std::to_string(matrix.nrOfDataPoints.value) + "\n\n";
  for (int t = 0; t < matrix.nrOfDataPoints.value; ++t) {
    for (std::size_t p = 0; p < matrix.values.size(); ++p) {
      if (p != 0) text += "  ";
      text += toString(matrix.values[p][static_cast<std::size_t>(t)]);
    }
    text += '\n';
  }
  return text;
}

std::string contrastsText(int conditions) {
  const auto name = [](int condition) {
    return "Condition " + std::string(1, static_cast<char>('A' + condition));
  };
  std::string text = "name\texpression\n";
  for (int c = 0; c + 1 < conditions; ++c) {
    text += std::string(1, static_cast<char>('A' + c)) + "-" +
            std::string(1, static_cast<char>('A' + c + 1)) + "\t\"" + name(c) + "\" - \"" +
            name(c + 1) + "\"\n";
  }
  // Each half of the conditions averaged, the first against the second.
  const int half = conditions / 2;
  if (half == 0) return text;
  text += "first-second\t";
  for (int c = 0; c < conditions; ++c) {
    const bool early = c < half;
    char weight[32];
    std::snprintf(weight, sizeof weight, "%g", 1.0 / (early ? half : conditions - half));
    text += std::string(c == 0 ? "" : (early ? " + " : " - ")) + weight + "*\"" + name(c) + "\"";
  }
  return text + "\n";
}

namespace {

// Two-digit labels as BIDS names them: 01, 02, ...
std::string label(int number) { return (number < 10 ? "0" : "") + std::to_string(number); }

// A run's head motion: slow random walks; for a restless subject an abrupt move of the whole
// head in about a third of the volumes; for a steady mover a back-and-forth of 0.28 mm along x
// at every volume.
std::vector<std::vector<double>> runMotion(std::size_t points, bool restless, bool steady,
                                           Random& random) {
  std::vector<std::vector<double>> motion(6, std::vector<double>(points));
  std::array<double, 6> position{};
  for (std::size_t t = 0; t < points; ++t) {
    const bool jump = restless && random.uniform() < 0.3;
    for (std::size_t p = 0; p < 6; ++p) {
      const double step = p < 3 ? 0.02 : 0.0003;
      position[p] += step * random.normal() + (jump ? 20 * step * random.normal() : 0.0);
      motion[p][t] = position[p];
    }
    if (steady) motion[0][t] += t % 2 == 0 ? 0.14 : -0.14;
  }
  return motion;
}

// A physiological signal of the tissue: noise around `level` with a drift slower than the task.
std::vector<double> tissueSignal(double level, double amplitude, std::size_t points,
                                 Random& random) {
  std::vector<double> values(points);
  for (std::size_t t = 0; t < points; ++t) {
    values[t] = level + amplitude * (random.normal() + 0.5 * std::sin(kPi * static_cast<double>(t) /
                                                                      static_cast<double>(points)));
  }
  return values;
}

// `values` centred and scaled to unit length.
std::vector<double> standardised(const std::vector<double>& values) {
  double mean = 0;
  for (const double v : values) mean += v;
  mean /= static_cast<double>(values.size());
  double squares = 0;
  for (const double v : values) squares += (v - mean) * (v - mean);
  std::vector<double> z(values.size());
  for (std::size_t t = 0; t < values.size(); ++t) z[t] = (values[t] - mean) / std::sqrt(squares);
  return z;
}

// Makes `column` follow `motion` with r 0.8: 0.8 z(motion) + 0.6 of the column's own course
// made orthogonal to it, scaled to the column's own spread.
void followMotion(std::vector<float>& column, const std::vector<double>& motion) {
  const auto m = standardised(motion);
  auto own = standardised(std::vector<double>(column.begin(), column.end()));
  double overlap = 0;
  for (std::size_t t = 0; t < own.size(); ++t) overlap += own[t] * m[t];
  double length = 0;
  for (std::size_t t = 0; t < own.size(); ++t) {
    own[t] -= overlap * m[t];
    length += own[t] * own[t];
  }
  const double spread = std::sqrt(static_cast<double>(column.size()));
  for (std::size_t t = 0; t < own.size(); ++t) {
    const double value = (0.8 * m[t] + 0.6 * own[t] / std::sqrt(length)) * spread * 0.3;
    column[t] = static_cast<float>(std::round(value * 1e6) / 1e6);
  }
}

// The contrasts of several tasks: each condition of a task against its next, for that task.
std::string taskContrastsText(const std::vector<StudyTask>& tasks) {
  std::string text = "name\texpression\ttask\n";
  for (const auto& task : tasks) {
    const auto& names = task.conditions;
    for (std::size_t c = 0; c + 1 < names.size(); ++c) {
      text += names[c] + "-" + names[c + 1] + "\t\"" + names[c] + "\" - \"" + names[c + 1] +
              "\"\t" + task.name + "\n";
    }
  }
  return text;
}

}  // namespace

std::vector<StudyFile> exampleStudy(const StudyShape& shape, std::uint64_t seed) {
  std::vector<StudyFile> files;
  const auto points = static_cast<std::size_t>(shape.dataPoints);
  for (std::size_t task = 0; task < shape.tasks.size(); ++task) {
    const auto& conditions = shape.tasks[task].conditions;
    for (int subject = 1; subject <= shape.subjects; ++subject) {
      for (int run = 1; run <= shape.runs; ++run) {
        Random random(seed * 1000 + static_cast<std::uint64_t>(subject * 10 + run) + 100 * task);
        const std::string sub = "sub-" + label(subject);
        const std::string stem =
            sub + "_task-" + shape.tasks[task].name + "_run-" + std::to_string(run);
        auto design = taskDesign(conditions.empty() ? 4 : static_cast<int>(conditions.size()),
                                 shape.dataPoints, random);
        for (std::size_t c = 0; c < conditions.size(); ++c)
          design.predictorNames[c] = conditions[c];
        const auto motion =
            runMotion(points, subject == shape.restless, subject == shape.steadyMover, random);
        if (task == 0 && subject == shape.entangledSubject && run == shape.entangledRun) {
          followMotion(design.values[1], motion[0]);
        }
        std::ostringstream sdm;
        writeSdm(design, sdm);
        files.push_back({sub + "/func/" + stem + "_design.sdm", sdm.str()});

        std::vector<TableColumn> table;
        const char* const names[] = {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"};
        for (std::size_t p = 0; p < 6; ++p) table.push_back({names[p], motion[p], 0});
        table.push_back({std::string(tsv::kFramewiseDisplacement), displacementOf(motion), 1});
        table.push_back({"csf", tissueSignal(830, 6, points, random), 0});
        table.push_back({"white_matter", tissueSignal(604, 1.5, points, random), 0});
        if (stem == shape.missingTable) continue;
        files.push_back({"derivatives/" + sub + "/func/" + stem + "_desc-confounds_timeseries.tsv",
                         tableText(table, points)});
      }
    }
  }
  files.push_back({"contrasts.tsv", shape.tasks.size() == 1 && shape.tasks[0].conditions.empty()
                                        ? contrastsText(4)
                                        : taskContrastsText(shape.tasks)});
  return files;
}

}  // namespace duv::examples
