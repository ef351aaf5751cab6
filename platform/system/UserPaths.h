#pragma once

#include <string>

namespace telmaq {

// Where the user's files live. Environment variables win, so that tests and several
// profiles never touch each other's files.

// $TELMAQ_REGISTRY, else $XDG_CONFIG_HOME/telmaq/registry.db, else ~/.config/telmaq/registry.db.
std::string hivePath();

// $TELMAQ_DIALUP_DB, else dialup.db in the hive's folder.
std::string dialupDatabasePath();

// $TELMAQ_HISTORY_DB, else $XDG_STATE_HOME/telmaq/history.db, else ~/.local/state/telmaq/history.db.
std::string historyDatabasePath();

// $XDG_RUNTIME_DIR, else privateFolder() of /tmp/telmaq-UID; "" when neither can be used (a
// relative $XDG_RUNTIME_DIR, or a name in /tmp taken by something that is not ours alone).
std::string runtimeDirectory();

// path, made 0700 when missing, if it is now a real folder (no link) owned by this user with
// no access for group or others; else "". A relative path is never used.
std::string privateFolder(const std::string& path);

} // namespace telmaq
