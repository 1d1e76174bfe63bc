#include "host/score_plot.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace trellisk::host {
namespace {

namespace fs = std::filesystem;

// Quotes a path for the shell and for gnuplot's single-quoted strings.
std::string Quoted(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// One point per threshold, from the highest down: the share of ham at or
// above it (at least half a message, so that 0 shows on the log axis) and
// the share of spam caught, both in percent.
void WriteRoc(const Evaluation& evaluation, const fs::path& file) {
  std::ofstream out(file);
  const double ham = static_cast<double>(evaluation.hamCount());
  const double spam = static_cast<double>(evaluation.spamCount());
  for (int threshold = Evaluation::kMaxScore + 1; threshold >= 0; --threshold) {
    const double falsePositives = std::max(static_cast<double>(evaluation.FalsePositives(threshold)), 0.5);
    const double caught = spam - static_cast<double>(evaluation.FalseNegatives(threshold));
    out << 100 * falsePositives / ham << ' ' << 100 * caught / spam << '\n';
  }
}

void WriteHistograms(const Evaluation& evaluation, const fs::path& file) {
  std::ofstream out(file);
  for (int score = 0; score <= Evaluation::kMaxScore; ++score) {
    out << score << ' ' << evaluation.HamBetween(score, score + 1) << ' ' << evaluation.SpamBetween(score, score + 1)
        << '\n';
  }
}

std::string Script(const fs::path& folder, const std::string& title, const std::string& path) {
  const std::string roc = Quoted((folder / "roc.dat").string());
  const std::string histograms = Quoted((folder / "histograms.dat").string());
  return "set terminal pngcairo size 1200,500 noenhanced\n"
         "set output " + Quoted(path) + "\n"
         "set multiplot layout 1,2 title " + Quoted(title) + "\n"
         "set title 'ROC: spam caught against false positives (0 FP at the left edge)'\n"
         "set logscale x\nset xlabel 'false positives, % of ham'\nset ylabel 'spam caught, %'\n"
         "set grid\nset key off\n"
         "plot " + roc + " using 1:2 with steps linewidth 2\n"
         "unset logscale x\nset logscale y\n"
         "set title 'scores'\nset xlabel 'score'\nset ylabel 'messages'\nset xrange [-1:101]\n"
         "set key top center\nset style fill transparent solid 0.5\nset boxwidth 0.9\n"
         "plot " + histograms + " using 1:($2 > 0 ? $2 : 1/0) with boxes title 'ham', '' using 1:($3 > 0 ? $3 : 1/0) "
         "with boxes title 'spam'\n"
         "unset multiplot\n";
}

}  // namespace

bool WriteScorePlot(const Evaluation& evaluation, const std::string& title, const std::string& path,
                    std::string& error) {
  if (std::system("gnuplot --version >/dev/null 2>&1") != 0) {
    error = "--plot needs gnuplot (on Debian: apt-get install gnuplot-nox)";
    return false;
  }
  if (evaluation.spamCount() == 0 || evaluation.hamCount() == 0) {
    error = "--plot needs scores of both spam and ham";
    return false;
  }
  const fs::path folder = fs::temp_directory_path() / ("trellisk-plot-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  WriteRoc(evaluation, folder / "roc.dat");
  WriteHistograms(evaluation, folder / "histograms.dat");
  std::ofstream(folder / "plot.gp") << Script(folder, title, path);
  const std::string command = "gnuplot " + Quoted((folder / "plot.gp").string()) + " 2>&1";
  const bool plotted = std::system(command.c_str()) == 0 && fs::exists(path);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  if (!plotted) error = "gnuplot could not draw " + path;
  return plotted;
}

}  // namespace trellisk::host
