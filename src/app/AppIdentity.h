#pragma once

namespace stanzary {

// The application's name ("Stanzary") and organisation ("Zeph"), which place
// its per-user data folder (~/.local/share/Zeph/Stanzary, where the tagging
// journal lives): the window and the command line set the same, so that
// they share that folder.
void setApplicationIdentity();

} // namespace stanzary
