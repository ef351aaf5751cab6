#pragma once

#include <string>

namespace telmaq {

// Where the user's files live. Environment variables win, so that tests and several
// profiles never touch each other's files.

// $TELMAQ_REGISTRY, else $XDG_CONFIG_HOME/telmaq/registry.db, else ~/.config/telmaq/registry.db.
std::string hivePath();

// $TELMAQ_DIALUP_DB, else dialup.db in the hive's folder.
std::string dialupDatabasePath();

// $XDG_RUNTIME_DIR, else a folder of this user's own in /tmp (created 0700 when missing).
std::string runtimeDirectory();

} // namespace telmaq
