#pragma once

#include "cli/options.h"

#include <ostream>

namespace quillmere::cli {

// Each runs one mode on options.folder, writing results to out and
// messages to err, and returns the process's exit status.
int writeDirectory(const Options& options, std::ostream& out, std::ostream& err, bool showProgress);
int printEntries(const Options& options, std::ostream& out);
int checkDirectory(const Options& options, std::ostream& out);
// Opens options.device, writes the directory as writeDirectory does unless
// the one on disk already says the same, then serves the folder on the
// device until the calculator sends FINISH or a stop signal comes.
int serveFolder(const Options& options, std::ostream& out, std::ostream& err, bool showProgress);

}  // namespace quillmere::cli
