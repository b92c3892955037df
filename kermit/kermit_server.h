#pragma once

#include "kermit/server_script.h"
#include "kermit/transaction_log.h"

#include <functional>

namespace quillmere::kermit {

// Runs C-Kermit as a server of settings.folder on settings.device until the
// client sends FINISH or this process gets SIGINT or SIGTERM, calling
// onTransfer for each file sent or refused. Kermit's lock file goes with it.
// Throws CatalogueError when kermit is missing, the device cannot be opened
// or Kermit cannot set the session up.
void serveFolder(const ServeSettings& settings, const std::function<void(const Transfer&)>& onTransfer);

}  // namespace quillmere::kermit
