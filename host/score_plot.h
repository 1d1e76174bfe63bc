// ScorePlot draws an evaluation's scores as a PNG with gnuplot: the ROC
// curve, spam caught against false positives on a logarithmic axis, beside
// the score histograms of ham and spam. The data and the script go to a
// temporary folder that is removed afterwards. Used by one thread.
#pragma once

#include <string>

#include "host/evaluation.h"

namespace trellisk::host {

// Writes the plot to `path`; false, with `error` set (how to install
// gnuplot when it is missing), when no plot was made.
bool WriteScorePlot(const Evaluation& evaluation, const std::string& title, const std::string& path,
                    std::string& error);

}  // namespace trellisk::host
