#include "host/command.h"

namespace trellisk::host {

int RunInfo(HostSession& session, const Arguments& arguments);
int RunStart(HostSession& session, const Arguments& arguments);
int RunSetup(HostSession& session, const Arguments& arguments);
int RunScore(HostSession& session, const Arguments& arguments);
int RunTrain(HostSession& session, const Arguments& arguments);
int RunStats(HostSession& session, const Arguments& arguments);
int RunMacro(HostSession& session, const Arguments& arguments);
int RunEval(HostSession& session, const Arguments& arguments);
int RunTune(HostSession& session, const Arguments& arguments);
int RunSoak(HostSession& session, const Arguments& arguments);
int RunFilter(HostSession& session, const Arguments& arguments);

namespace {

const OptionDefinition kJobs{"jobs", true, 'j'};
const OptionDefinition kMbox{"mbox", false};

}  // namespace

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"score", "score messages: one line per message with its score, verdict and name",
       "usage: trellisk-host [global options] score [-j N] PATH...\n"
       "Starts the plug-in, asks it for the spam score of every message and stops it.\n"
       "Each line shows the score (0 ham .. 100 spam), SPAM or HAM by the host's junk\n"
       "threshold, and the message's name. PATH is a message file, an mbox file, a\n"
       "Maildir folder or a directory of any of these; - is standard input.\n"
       "  --mbox          standard input is an mbox stream, not one message\n"
       "  -j, --jobs N    call the plug-in from N host threads at once (default 1)\n"
       "Exit status 1 when some input could not be read; the others are scored.\n",
       {kJobs, kMbox}, RunScore},
      {"train", "train the plug-in with messages known to be spam or ham",
       "usage: trellisk-host [global options] train --spam|--ham [-j N] PATH...\n"
       "Starts the plug-in, hands it every message as the user's spam (or ham)\n"
       "judgement, and stops it, which waits for the learning and saves it. PATH is\n"
       "as for score; - is standard input (a mail client's training macro pipes the\n"
       "message in).\n"
       "  --spam          the messages are spam\n"
       "  --ham           the messages are ham (not spam)\n"
       "  --mbox          standard input is an mbox stream, not one message\n"
       "  -j, --jobs N    call the plug-in from N host threads at once (default 1)\n",
       {{"spam", false}, {"ham", false}, kJobs, kMbox}, RunTrain},
      {"eval", "measure accuracy: train on half of known mail, score the other half",
       "usage: trellisk-host [global options] eval --spam PATH --ham PATH [options]\n"
       "Runs a fresh plug-in in a new temporary data directory, removed at the end.\n"
       "Within each given folder, in name order, the messages at even positions train\n"
       "the plug-in and those at odd positions are scored. Prints false positives and negatives at the\n"
       "host's junk threshold, the messages in an unsure band around it, and the ROC\n"
       "area under the curve of the scores, and the spam missed when the threshold lets\n"
       "no ham (or 0.5% of the ham) through. Settings to try go in the global --setting.\n"
       "  --spam PATH         a folder of spam (may be given several times)\n"
       "  --ham PATH          a folder of ham (may be given several times)\n"
       "  --unsure-band N     the unsure band is threshold-N .. threshold+N-1 (default 10)\n"
       "  --list              print every scored message\n"
       "  --plot FILE.png     draw the ROC curve and the score histograms (needs gnuplot)\n"
       "  -j, --jobs N        call the plug-in from N host threads at once (default 1)\n",
       {{"spam", true}, {"ham", true}, {"unsure-band", true}, {"list", false}, {"plot", true}, kJobs},
       RunEval, true},
      {"tune", "find the classifier settings that suit known mail best, and store them",
       "usage: trellisk-host [global options] tune --spam PATH --ham PATH [options]\n"
       "Tries a small grid of classifier settings (Algorithm 1, 3 and 11, RemoveNoise,\n"
       "SignificantWords, HamWeight, SignificanceCut) by cross-validation, in a new\n"
       "temporary data directory removed at the end: within each given path, in name order, message i goes\n"
       "to fold i mod N; for each fold a fresh word database learns the other folds and\n"
       "the fold is scored with every setting, automatic learning and DNS look-ups off\n"
       "and the other settings at their defaults (or as the global --setting gives them).\n"
       "Prints, for each setting, the false positives and the spam missed at the host's\n"
       "junk threshold, the messages in the band 10 around it, the ROC area and the spam\n"
       "missed when no ham is let through, and recommends the setting without false\n"
       "positives that misses the fewest spam. Needs at least 100 spam and 100 ham.\n"
       "  --spam PATH         spam: a folder, a message or an mbox file (may be repeated)\n"
       "  --ham PATH          ham, the same way (may be repeated)\n"
       "  --folds N           cross-validation folds, 2 to 10 (default 3)\n"
       "  --apply             store the recommended setting in the plug-in's settings of\n"
       "                      the data directory (the rule filter bit of Algorithm is kept)\n"
       "  --plot FILE.png     draw the recommended setting's ROC curve and histograms\n"
       "  -j, --jobs N        call the plug-in from N host threads at once (default 1)\n",
       {{"spam", true}, {"ham", true}, {"folds", true}, {"apply", false}, {"plot", true}, kJobs}, RunTune,
       true},
      {"soak", "score and train known mail from several threads for a long time",
       "usage: trellisk-host [global options] soak --spam PATH --ham PATH [options]\n"
       "Starts the plug-in once and, from N host threads, scores every message and then\n"
       "trains it as what it is, round and round the given folders, until the time is\n"
       "up. Prints the resident memory, thread count and open files of the process at\n"
       "every report, and at the end checks that the saved word database's message\n"
       "totals grew by exactly the trainings made (run it with --setting AutoLearning=0,\n"
       "as automatic learning would add to them).\n"
       "  --spam PATH           a folder of spam (may be given several times)\n"
       "  --ham PATH            a folder of ham (may be given several times)\n"
       "  --seconds N           how long to run (default 3600)\n"
       "  --report-every N      seconds between reports (default 60)\n"
       "  -j, --jobs N          host threads (default 4)\n",
       {{"spam", true}, {"ham", true}, {"seconds", true}, {"report-every", true}, kJobs}, RunSoak},
      {"filter", "filter one message from standard input, as a delivery agent pipes it",
       "usage: trellisk-host [global options] filter [--passthrough=no]\n"
       "Reads one message on standard input, scores it and writes it to standard output\n"
       "with two header fields added at the end of its header:\n"
       "  X-Trellisk-Score: N          the spam score, 0 (ham) .. 100 (spam)\n"
       "  X-Trellisk-Status: Spam|Ham  by the host's junk threshold\n"
       "Fields of those names already in the header are replaced; every other byte of\n"
       "the message passes unchanged. On any failure the message is written unchanged\n"
       "and the error goes to standard error.\n"
       "  --passthrough=no    write only the verdict line, not the message\n"
       "Exit status 0 for spam, 1 for ham, 3 on error.\n",
       {{"passthrough", true}}, RunFilter},
      {"stats", "show the plug-in's statistics (the SPAMFILTERSTATISTIC macro)",
       "usage: trellisk-host [global options] stats\n"
       "Expands the statistics macro: messages learned, detections and corrections.\n",
       {}, RunStats},
      {"macro", "expand one of the plug-in's macros",
       "usage: trellisk-host [global options] macro NAME\n"
       "Expands the named macro (SPAMFILTERVERSION or SPAMFILTERSTATISTIC) through the\n"
       "host's macro sink and prints the text.\n",
       {}, RunMacro},
      {"info", "show the plug-in's name, version and macros",
       "usage: trellisk-host [global options] info\n"
       "Loads the plug-in and shows what it reports about itself, without starting it.\n",
       {}, RunInfo},
      {"start", "start the plug-in and stop it again",
       "usage: trellisk-host [global options] start\n"
       "Calls TBP_Initialize and then TBP_Finalize: the plug-in loads its settings and\n"
       "stores, and at the stop saves them (creating them on the first run).\n",
       {}, RunStart},
      {"setup", "open the plug-in's setup dialog",
       "usage: trellisk-host [global options] setup\n"
       "Starts the plug-in, calls TBP_Setup (which warns when the filter needs more\n"
       "training, then opens the setup dialog: in a terminal on Linux, the system's\n"
       "dialog on Windows) and stops the plug-in again, which stores what OK changed.\n"
       "Without a terminal the dialog cannot open and says so. Message boxes outside\n"
       "the dialog appear on standard error.\n",
       {}, RunSetup},
  };
  return commands;
}

}  // namespace trellisk::host
