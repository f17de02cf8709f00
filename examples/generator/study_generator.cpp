#include "examples/generator/study_generator.h"

#include <cmath>
#include <cstdio>
#include <sstream>

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
  const char* const names[] = {"Translation BV-X [mm]",
                               "Translation BV-Y [mm]",
                               "Translation BV-Z [mm]",
                               radians ? "Rotation BV-X [rad]" : "Rotation BV-X [deg]",
                               radians ? "Rotation BV-Y [rad]" : "Rotation BV-Y [deg]",
                               radians ? "Rotation BV-Z [rad]" : "Rotation BV-Z [deg]"};
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
  header.write(out);
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

std::string keyedRtcText(const DesignMatrix& matrix) {
  std::string text = "FileVersion:     2\nType:            DesignMatrix\nNrOfPredictors:  " +
                     std::to_string(matrix.nrOfPredictors.value) +
                     "\nNrOfDataPoints:  " + std::to_string(matrix.nrOfDataPoints.value) + "\n\n";
  for (std::size_t p = 0; p < matrix.predictorNames.size(); ++p) {
    text += (p == 0 ? "\"" : " \"") + matrix.predictorNames[p] + "\"";
  }
  text += '\n';
  for (int t = 0; t < matrix.nrOfDataPoints.value; ++t) {
    for (std::size_t p = 0; p < matrix.values.size(); ++p) {
      text += (p == 0 ? "" : " ") + toString(matrix.values[p][static_cast<std::size_t>(t)]);
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
      text += (p == 0 ? "" : "  ") + toString(matrix.values[p][static_cast<std::size_t>(t)]);
    }
    text += '\n';
  }
  return text;
}

}  // namespace duv::examples
